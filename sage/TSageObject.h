#pragma once
// The one object through which the wizard reaches a Sage company's data.
#include <functional>
#include <string>

namespace quillmere {

// Progress notification: (position, maximum).
using ProgressCallback = std::function<void(int position, int maximum)>;

class TSageObject {
public:
    explicit TSageObject(int versionNo);
    ~TSageObject();
    TSageObject(const TSageObject&) = delete;
    TSageObject& operator=(const TSageObject&) = delete;

    // The Sage home directory (holds the COMPANY list).
    std::string HomeDir;
    // The version number 7..22; names the data source "SageLine50v<n>".
    int VersionNo;
    // Number of records of the query being walked.
    int RecordCount = 0;
    // Set by the wizard to its ShowProgress; may be empty.
    ProgressCallback OnProgress;
};

}  // namespace quillmere
