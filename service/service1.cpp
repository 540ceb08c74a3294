#include "service/service1.h"

#include <stdexcept>

#include "service/SoapRequestBody.h"

namespace quillmere {

namespace {

// An operation of the port type that takes UserName and Password first and
// answers Status and StatusDetail beside its result output (<name>Result).
TOperationDecl Op(const char* name, std::vector<TParamDecl> inputs, const char* result) {
    TOperationDecl op{name, {{"UserName", "string"}, {"Password", "string"}}, {}, nullptr};
    op.inputs.insert(op.inputs.end(), inputs.begin(), inputs.end());
    if (result != nullptr) {
        op.outputs.push_back({std::string(name) + "Result", result});
    }
    op.outputs.push_back({"Status", "string"});
    op.outputs.push_back({"StatusDetail", "string"});
    return op;
}

TTypeDecl Struct(const char* name, std::vector<TMemberDecl> members) {
    return TTypeDecl{name, nullptr, std::move(members), false};
}

TTypeDecl List(const char* name, const char* itemType) {
    return TTypeDecl{name, itemType, {}, false};
}

TMemberDecl M(const char* name, const char* type) {
    return TMemberDecl{name, name, type};
}

TPortTypeDecl Declare() {
    TPortTypeDecl port{"VureDevuAPISoap", "VureDevu", "utf-8", "VureDevu/%operationName%",
                       "document",        {},         {}};
    const char* I = "int";
    const char* S = "string";
    const char* B = "boolean";
    const char* DT = "dateTime";
    const char* D = "decimal";

    port.types = {
        List("anyType", "anyType"),
        TTypeDecl{"ArrayOfAnyType", nullptr, {M("anyType", "anyType")}, true},
        Struct("Invoice",
               {M("InvoiceDBID", I), M("InvoiceNumber", I), M("InvoiceDate", DT), M("DueDate", DT),
                M("Customer", S), M("CustomerID", I), M("Paid", I), M("CustomerReference", S),
                M("ReadableString", S), M("Lines", "ArrayOfAnyType"), M("NetAmount", D),
                M("VATAmount", D), M("AmountPaid", D)}),
        List("ArrayOfInvoice", "Invoice"),
        Struct("InvoiceLine",
               {M("Quantity", D), M("Description", S), M("Rate", D), M("ChargeType", I),
                M("VatRate", D), M("VatAmount", D), M("LineID", I)}),
        Struct("Payment", {M("PayID", I), M("PayInvoice", I), M("PayDate", DT), M("PayNote", S),
                           M("PayMethod", I), M("PayAccount", I), M("PayAmount", D)}),
        List("ArrayOfPayment", "Payment"),
        Struct("PaymentMethod", {M("MethodID", I), M("MethodName", S)}),
        List("ArrayOfPaymentMethod", "PaymentMethod"),
        Struct("Customer",
               {M("CustomerID", I), M("Code", S),       M("Name", S),         M("Contact", S),
                M("Telephone", S),  M("Mobile", S),     M("Fax", S),          M("Email", S),
                M("Address1", S),   M("Address2", S),   M("Address3", S),     M("Address4", S),
                M("Postcode", S),   M("Website", S),    M("EC", I),           M("Notes", S),
                M("Source", I),     M("Discount", D),   M("ShowDiscount", B), M("PaymentTerms", I),
                M("ExtraText1", S), M("ExtraText2", S), M("CheckBox1", I),    M("CheckBox2", I),
                M("Created", DT),   M("Updated", DT)}),
        List("ArrayOfCustomer", "Customer"),
        Struct("BasicDataset", {M("ID", I), M("Name", S), M("Description", S)}),
        List("ArrayOfBasicDataset", "BasicDataset"),
        Struct("Supplier",
               {M("SupplierID", I), M("Code", S), M("Name", S), M("Contact", S), M("Mobile", S),
                M("Fax", S), M("Address1", S), M("Address2", S), M("Address3", S), M("Address4", S),
                M("PostCode", S), M("Telephone", S), M("Website", S), M("Email", S),
                M("Created", DT), M("Updated", DT), M("EC", I), M("Notes", S)}),
        Struct("BankAccount", {M("AccountID", I), M("AccountName", S), M("AccountCode", I)}),
        List("ArrayOfBankAccount", "BankAccount"),
        Struct("BankTXType", {M("TypeID", I), M("TypeName", S), M("TypeCode", I)}),
        List("ArrayOfBankTXType", "BankTXType"),
        Struct("BankTransaction",
               {M("ID", I), M("accid", I), M("TransactionDate", DT), M("moneyin", D),
                M("moneyout", D), M("Vatable", I), M("VatRate", D), M("VatAmount", D),
                M("TransactionType", I), M("Comment", S)}),
        Struct("BalanceSheet",
               {M("Date", DT), M("FixedAssets", "ArrayOfAnyType"), M("FixedAssetsTotal", D),
                M("CurrentAssets", "ArrayOfAnyType"), M("CurrentAssetsTotal", D),
                M("CurrentLiabilities", "ArrayOfAnyType"), M("CurrentLiabilitiesTotal", D),
                M("CapitalReserves", "ArrayOfAnyType"), M("CapitalReservesTotal", D)}),
        Struct("ProfitAndLoss",
               {M("StartDate", DT), M("EndDate", DT), M("Turnover", "ArrayOfAnyType"),
                M("TurnoverTotal", D), M("CostOfSales", "ArrayOfAnyType"), M("CostOfSalesTotal", D),
                M("GrossProfit", D), M("Expenses", "ArrayOfAnyType"), M("ExpensesTotal", D),
                M("NetProfit", D)}),
        Struct("MonthlyPL", {M("PeriodStart", DT), M("PeriodEnd", DT), M("Turnover", D),
                             M("GrossProfit", D), M("NetProfit", D)}),
        List("ArrayOfMonthlyPL", "MonthlyPL"),
        Struct("NominalCode", {M("id", I), M("Code", I), M("Name", S), M("debit", D),
                               M("credit", D), M("balance", D)}),
        List("ArrayOfNominalCode", "NominalCode"),
        Struct("VATReport",
               {M("StartDate", DT), M("EndDate", DT), M("SubmittedToAccounts", B),
                M("SubmittedToHMRC", B), M("SubmittedtoHMRCDate", DT), M("HMRCReference", S),
                M("Box1", D), M("Box2", D), M("Box3", D), M("Box4", D), M("Box5", D), M("Box6", D),
                M("Box7", D), M("Box8", D), M("Box9", D)}),
        Struct("TransactionInformation",
               {M("Date", DT), M("nomid", I), M("Value", D), TMemberDecl{"Type_", "Type", I},
                M("id", I), M("id2", I), M("id3", I), M("Ref1", S), M("Ref2", S), M("Ref3", S)}),
        List("ArrayOfTransactionInformation", "TransactionInformation"),
        Struct("JournalEntry", {M("DBID", I), M("JournalNumber", I), M("JournalDate", DT),
                                M("Comment", S), M("Lines", "ArrayOfAnyType")}),
        Struct("Product", {M("ProductID", I), M("ProductName", S), M("ProductCode", I),
                           M("ProductDescription", S), M("ManageStockLevels", I),
                           M("QtyInStock", I), M("ProductPrice", D)}),
        List("ArrayOfProduct", "Product"),
    };

    const std::vector<TParamDecl> dateRange = {{"StartDate", DT}, {"EndDate", DT}};
    port.operations = {
        // Invoices and invoice payments
        Op("GetInvoiceByID", {{"InvoiceID", I}}, "Invoice"),
        Op("GetInvoice", {{"InvoiceNumber", I}}, "Invoice"),
        Op("PrintInvoice", {{"InvoiceNumber", I}, {"InvoiceNumberList", S}}, S),
        Op("EmailInvoice",
           {{"InvoiceNumber", I},
            {"FromEmail", S},
            {"FromName", S},
            {"SubjectLine", S},
            {"Body", S},
            {"RecipientEmail", S}},
           nullptr),
        Op("GetInvoicesByDateRange", dateRange, "ArrayOfInvoice"),
        Op("GetInvoicesForCustomer", {{"CustID", I}}, "ArrayOfInvoice"),
        Op("InsertInvoice", {{"Inv", "Invoice"}}, I),
        Op("InsertInvoiceLine", {{"InvoiceID", I}, {"InvLine", "InvoiceLine"}}, I),
        Op("UpdateInvoice", {{"Inv", "Invoice"}}, nullptr),
        Op("GetInvoicePayment", {{"InvoiceNumber", I}}, "ArrayOfPayment"),
        Op("InsertInvoicePayment", {{"InvoicePayment", "Payment"}}, I),
        Op("DeleteInvoicePayment", {{"InvoicePaymentNumber", I}}, nullptr),
        Op("GetInvPayMethods", {}, "ArrayOfPaymentMethod"),
        Op("GetPaypalLink", {{"InvoiceNumber", I}}, S),
        // Receipts
        Op("GetReceipt", {{"ReceiptNumber", I}}, "Invoice"),
        Op("InsertReceipt", {{"Inv", "Invoice"}}, I),
        Op("InsertReceiptPayment", {{"ReceiptPayment", "Payment"}}, I),
        Op("GetReceiptPayment", {{"ReceiptNumber", I}}, "ArrayOfPayment"),
        Op("GetRecPayMethods", {}, "ArrayOfPaymentMethod"),
        // Customers and suppliers
        Op("GetCustomer", {{"CustomerCode", S}}, "Customer"),
        Op("GetCustomerByID", {{"CustomerID", I}}, "Customer"),
        Op("GetCustomerByEmail", {{"CustomerEmail", S}}, "Customer"),
        Op("GetCustomers", {}, "ArrayOfCustomer"),
        Op("InsertCustomer", {{"custr", "Customer"}}, I),
        Op("UpdateCustomer", {{"custr", "Customer"}}, nullptr),
        Op("GetCustomerSources", {}, "ArrayOfBasicDataset"),
        Op("InsertSupplier", {{"supl", "Supplier"}}, I),
        Op("GetSupplier", {{"SupplierCode", S}}, "Supplier"),
        Op("UpdateSupplier", {{"sup", "Supplier"}}, nullptr),
        Op("GetSupplierByID", {{"SupplierID", I}}, "Supplier"),
        // Bank, reports, journals, products
        Op("GetBankAccounts", {}, "ArrayOfBankAccount"),
        Op("GetBankTxTypes", {}, "ArrayOfBankTXType"),
        Op("InsertBankTransaction", {{"bp", "BankTransaction"}}, I),
        Op("GetBalanceSheet", {{"Date", DT}}, "BalanceSheet"),
        Op("GetProfitAndLoss", dateRange, "ProfitAndLoss"),
        Op("GetMonthlyProfitAndLoss", dateRange, "ArrayOfMonthlyPL"),
        Op("GetTrialBalance", dateRange, "ArrayOfNominalCode"),
        Op("GetVATReport", dateRange, "VATReport"),
        Op("GetDigitaCSVFile", dateRange, S),
        Op("GetNominalLedger", {{"StartDate", DT}, {"EndDate", DT}, {"NominalID", I}},
           "ArrayOfTransactionInformation"),
        Op("InsertJournal", {{"Jnl", "JournalEntry"}}, I),
        Op("isUserVATRegistered", {}, B),
        Op("GetProducts", {}, "ArrayOfProduct"),
        Op("GetNominalCodes", {}, "ArrayOfNominalCode"),
        // The upload: no credentials, its result is the operation's value.
        TOperationDecl{"SageFile", {{"buffer", "base64Binary"}, {"reference", S}}, {}, S},
    };
    return port;
}

}  // namespace

const TPortTypeDecl& VureDevuAPISoapDecl() {
    static const TPortTypeDecl port = Declare();
    return port;
}

std::string VureDevuAPISoap::SageFile(std::span<const std::uint8_t> buffer,
                                      const std::string& reference) {
    return Call("SageFile", {SoapValue::Bytes(buffer), SoapValue::Text(reference)}).result;
}

std::string VureDevuAPISoap::SageFile(ByteSource& buffer, const std::string& reference) {
    const TPortTypeDecl& port = VureDevuAPISoapDecl();
    const TOperationDecl& op = *port.FindOperation("SageFile");
    SoapRequestBody body(
        WriteRequestAround(port, op, {SoapValue::Bytes({}), SoapValue::Text(reference)}, 0),
        buffer);
    rio_.HTTPWebNode1.SoapAction = port.SoapAction(op.name);
    const std::string reply = rio_.HTTPWebNode1.Execute(body);
    return ReadReply(reply, op).result;
}

SoapReply VureDevuAPISoap::Call(const std::string& operation,
                                const std::vector<SoapValue>& inputs) {
    const TPortTypeDecl& port = VureDevuAPISoapDecl();
    const TOperationDecl* op = port.FindOperation(operation);
    if (op == nullptr) {
        throw std::invalid_argument("no operation " + operation + " in " + port.name);
    }
    const std::string request = WriteRequest(port, *op, inputs);
    rio_.HTTPWebNode1.SoapAction = port.SoapAction(op->name);
    const std::string reply = rio_.HTTPWebNode1.Execute(request);
    return ReadReply(reply, *op);
}

VureDevuAPISoap GetServiceBinding(THTTPRIO& rio, const std::string& serviceBase) {
    rio.HTTPWebNode1.SetURL(serviceBase + EndpointPath);
    return VureDevuAPISoap(rio);
}

}  // namespace quillmere
