#pragma once
// What to tell the user when the chosen version's ODBC data source is not
// set up on this computer: which Sage data sources are, and the version
// entries they stand for. Shared by the login and the pre-flight check.
#include <string>
#include <vector>

namespace quillmere {

// The Sage Line 50 data sources ("SageLine50v<n>") among `names`, in order.
std::vector<std::string> SageDataSources(const std::vector<std::string>& names);

// The names separated by ", ".
std::string Joined(const std::vector<std::string>& names);

// "choose "Version 7" or "Sage 50 / Instant 2016"" for the listed Sage data
// sources that stand for an entry of the version list; empty when none does.
std::string VersionChoices(const std::vector<std::string>& sageSources, bool withOption);

// The login's message when the driver manager has no data source for
// `versionNo` (SQLSTATE IM002), given the Sage data sources it does have.
std::string MissingDataSourceMessage(int versionNo, const std::vector<std::string>& sageSources);

}  // namespace quillmere
