// The declared port type: operation order, the shape every operation shares,
// and types that all resolve.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "service/service1.h"

namespace quillmere {
namespace {

const TPortTypeDecl& Port() {
    return VureDevuAPISoapDecl();
}

TEST(PortType, BindingConstants) {
    EXPECT_STREQ(Port().name, "VureDevuAPISoap");
    EXPECT_STREQ(Port().nameSpace, "VureDevu");
    EXPECT_STREQ(Port().style, "document");
    EXPECT_EQ(Port().SoapAction("SageFile"), "VureDevu/SageFile");
    EXPECT_EQ(Port().SoapAction("GetInvoice"), "VureDevu/GetInvoice");
}

TEST(PortType, FortyFiveOperationsFromGetInvoiceByIDToSageFile) {
    const auto& ops = Port().operations;
    ASSERT_EQ(ops.size(), 45u);
    EXPECT_STREQ(ops.front().name, "GetInvoiceByID");
    EXPECT_STREQ(ops[13].name, "GetPaypalLink");
    EXPECT_STREQ(ops[19].name, "GetCustomer");
    EXPECT_STREQ(ops[30].name, "GetBankAccounts");
    EXPECT_STREQ(ops[41].name, "isUserVATRegistered");
    EXPECT_STREQ(ops.back().name, "SageFile");
    std::set<std::string> names;
    for (const auto& op : ops) {
        EXPECT_TRUE(names.insert(op.name).second) << "twice: " << op.name;
    }
}

TEST(PortType, SageFileTakesBufferAndReferenceAndReturnsText) {
    const TOperationDecl& op = *Port().FindOperation("SageFile");
    ASSERT_EQ(op.inputs.size(), 2u);
    EXPECT_EQ(op.inputs[0].name, "buffer");
    EXPECT_EQ(op.inputs[0].type, "base64Binary");
    EXPECT_EQ(op.inputs[1].name, "reference");
    EXPECT_EQ(op.inputs[1].type, "string");
    EXPECT_STREQ(op.returnType, "string");
    EXPECT_TRUE(op.outputs.empty());
}

TEST(PortType, OtherOperationsTakeCredentialsAndAnswerStatus) {
    for (const auto& op : Port().operations) {
        if (std::string(op.name) == "SageFile") {
            continue;
        }
        SCOPED_TRACE(op.name);
        ASSERT_GE(op.inputs.size(), 2u);
        EXPECT_EQ(op.inputs[0].name, "UserName");
        EXPECT_EQ(op.inputs[1].name, "Password");
        EXPECT_EQ(op.returnType, nullptr);
        ASSERT_GE(op.outputs.size(), 2u);
        EXPECT_EQ(op.outputs[op.outputs.size() - 2].name, "Status");
        EXPECT_EQ(op.outputs.back().name, "StatusDetail");
        if (op.outputs.size() == 3) {
            EXPECT_EQ(op.outputs[0].name, std::string(op.name) + "Result");
        }
    }
    // Operations without a result output.
    for (const char* name : {"EmailInvoice", "UpdateInvoice", "DeleteInvoicePayment",
                             "UpdateCustomer", "UpdateSupplier"}) {
        EXPECT_EQ(Port().FindOperation(name)->outputs.size(), 2u) << name;
    }
    EXPECT_EQ(Port().FindOperation("GetNominalLedger")->inputs.size(), 5u);
    EXPECT_EQ(Port().FindOperation("EmailInvoice")->inputs.size(), 8u);
}

TEST(PortType, EveryTypeNamedResolvesAndListsFollowTheirStructure) {
    auto resolves = [](const std::string& type) {
        return IsSimpleType(type) || Port().FindType(type) != nullptr;
    };
    for (const auto& op : Port().operations) {
        for (const auto& p : op.inputs) {
            EXPECT_TRUE(resolves(p.type)) << op.name << "." << p.name << ": " << p.type;
        }
        for (const auto& p : op.outputs) {
            EXPECT_TRUE(resolves(p.type)) << op.name << "." << p.name << ": " << p.type;
        }
    }
    const auto& types = Port().types;
    ASSERT_GE(types.size(), 2u);
    EXPECT_STREQ(types[0].name, "anyType");
    EXPECT_STREQ(types[1].name, "ArrayOfAnyType");
    EXPECT_TRUE(types[1].inlineList);
    int structures = 0;
    int lists = 0;
    for (std::size_t i = 2; i < types.size(); ++i) {
        const TTypeDecl& t = types[i];
        if (t.IsList()) {
            ++lists;
            EXPECT_EQ(std::string(t.name), std::string("ArrayOf") + t.itemType);
            EXPECT_STREQ(types[i - 1].name, t.itemType) << t.name;
        } else {
            ++structures;
            for (const auto& m : t.members) {
                EXPECT_TRUE(resolves(m.type)) << t.name << "." << m.name << ": " << m.type;
            }
        }
    }
    EXPECT_EQ(structures, 18);
    EXPECT_EQ(lists, 11);
}

TEST(PortType, TransactionInformationTypeIsNamedTypeInMessages) {
    const TTypeDecl* t = Port().FindType("TransactionInformation");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->members.size(), 10u);
    EXPECT_STREQ(t->members[3].name, "Type_");
    EXPECT_STREQ(t->members[3].messageName, "Type");
    for (const auto& type : Port().types) {
        for (const auto& m : type.members) {
            if (std::string(m.name) != "Type_") {
                EXPECT_STREQ(m.name, m.messageName) << type.name;
            }
        }
    }
}

}  // namespace
}  // namespace quillmere
