#include "ZipReadBack.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QJsonDocument>
#include <cstdio>
#include <stdexcept>

namespace quillmere::test {

QJsonObject ReadZip(const std::string& archive, const std::string& sourceDir) {
    std::string command = "python3 " + ShellQuote(QUILLMERE_ZIPREAD) + " " + ShellQuote(archive);
    if (!sourceDir.empty()) {
        command += " " + ShellQuote(sourceDir);
    }
    int status = 0;
    const std::string out = RunCommand(command, &status);
    EXPECT_EQ(status, 0) << command << "\n" << out;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out;
    return doc.object();
}

QJsonArray ZipEntries(const QJsonObject& zip) {
    return zip.value("entries").toArray();
}

std::vector<std::string> ZipEntryNames(const QJsonObject& zip) {
    std::vector<std::string> names;
    for (const auto& entry : ZipEntries(zip)) {
        names.push_back(entry.toObject().value("name").toString().toStdString());
    }
    return names;
}

}  // namespace quillmere::test
