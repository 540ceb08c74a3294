#include "app/DataSourceAdvice.h"

#include "app/PreflightCheck.h"
#include "app/VersionEntries.h"
#include "sage/TSageObject.h"

namespace quillmere {

namespace {

constexpr const char* DataSourcePrefix = "SageLine50v";

}  // namespace

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

std::vector<std::string> SageDataSources(const std::vector<std::string>& names) {
    std::vector<std::string> sage;
    for (const std::string& name : names) {
        if (name.rfind(DataSourcePrefix, 0) == 0) {
            sage.push_back(name);
        }
    }
    return sage;
}

std::string VersionChoices(const std::vector<std::string>& sageSources, bool withOption) {
    std::string text;
    for (const std::string& name : sageSources) {
        if (const auto version = VersionOfDataSource(name)) {
            text += (text.empty() ? "choose " : " or ");
            text += "\"" + std::string(VersionEntries.at(static_cast<std::size_t>(*version - 7))) +
                    "\"";
            if (withOption) {
                text += " (--sage-version " + std::to_string(*version) + ")";
            }
        }
    }
    return text;
}

std::string MissingDataSourceMessage(int versionNo, const std::vector<std::string>& sageSources) {
    std::string text = "An error occurred logging in\r\nThe ODBC data source " +
                       DataSourceName(versionNo) + " is not set up on this computer.\r\n";
    if (sageSources.empty()) {
        return text +
               "There is no Sage data source here: install Sage 50 Accounts with its ODBC driver";
    }
    text += "The Sage data sources here are " + Joined(sageSources) + ".";
    const std::string choices = VersionChoices(sageSources, false);
    if (!choices.empty()) {
        text += "\r\nC" + choices.substr(1) + ", the version whose data source is there";
    }
    return text;
}

}  // namespace quillmere
