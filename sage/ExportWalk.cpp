#include "sage/ExportWalk.h"

#include <cerrno>

#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "sage/ValueText.h"

namespace quillmere {

std::string ExportRecord::Text(std::string_view column) const {
    return ValueText(query_, query_.FieldIndex(column), settings_);
}

double ExportRecord::Float(std::string_view column) const {
    return query_.AsFloat(query_.FieldIndex(column));
}

int ExportRecord::Integer(std::string_view column) const {
    return query_.AsInteger(query_.FieldIndex(column));
}

bool ExportRecord::IsNull(std::string_view column) const {
    return query_.IsNull(query_.FieldIndex(column));
}

RowFile::RowFile(const std::string& path) {
    file_ = CreateFileForWriting(path);
    // Large writes: a table of many lines costs few system calls.
    std::setvbuf(file_, nullptr, _IOFBF, 256 * 1024);
}

RowFile::~RowFile() {
    if (file_) {
        std::fclose(file_);
    }
}

void RowFile::Add(const std::string& line) {
    if (!file_) {
        throw EInOutError(103);  // file not open
    }
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
        std::fwrite("\r\n", 1, 2, file_) != 2) {
        throw EInOutError::FromErrno(errno);
    }
    ++lines_;
}

void RowFile::Close() {
    if (!file_) {
        return;
    }
    std::FILE* f = file_;
    file_ = nullptr;
    const bool flushed = std::fflush(f) == 0;
    const int err = errno;
    if (std::fclose(f) != 0 || !flushed) {
        throw EInOutError::FromErrno(flushed ? errno : err);
    }
}

RowFormats::RowFormats(const RegionalSettings& settings)
    : quoted(settings), bare(BareValueSettings(settings)) {}

namespace {

void TellLoss(RowSink& losses, std::size_t column, ValueLoss loss, const odbc::Query& query,
              int field, std::string_view written) {
    const std::string source =
        loss == ValueLoss::Rounded ? std::string(query.DecimalView(field)) : query.AsUtf8(field);
    losses.ValueLost(column, loss, source, written);
}

}  // namespace

void AppendRowLine(std::string& line, const ExportDefinition& definition, const odbc::Query& query,
                   const RowFormats& formats, std::vector<int>& fields, RowSink* losses) {
    if (fields.size() != definition.columns.size()) {
        fields.clear();
        for (const ExportColumn& c : definition.columns) {
            fields.push_back(query.FieldIndex(c.source));
        }
    }
    for (std::size_t i = 0; i < definition.columns.size(); ++i) {
        const ExportColumn& c = definition.columns[i];
        if (i > 0) {
            line += ',';
        }
        const RegionalSettings& settings =
            c.written == Written::Bare ? formats.bare : formats.quoted;
        if (c.written == Written::Quoted) {
            line += '"';
        }
        const std::size_t start = line.size();
        if (c.transform) {
            line += c.transform(ValueText(query, fields[i], settings));
        } else if (const ValueLoss loss = AppendValueText(line, query, fields[i], settings);
                   loss != ValueLoss::None && losses != nullptr) {
            TellLoss(*losses, i, loss, query, fields[i], std::string_view(line).substr(start));
        }
        if (c.written == Written::Bare) {
            continue;
        }
        // Every double quote inside the value doubled, in place.
        if (line.find('"', start) != std::string::npos) {
            std::string value = line.substr(start);
            line.resize(start);
            for (char ch : value) {
                if (ch == '"') {
                    line += '"';
                }
                line += ch;
            }
        }
        line += '"';
    }
}

std::string RowLine(const ExportDefinition& definition, const odbc::Query& query,
                    const RegionalSettings& settings, std::vector<int>& fields) {
    std::string line;
    AppendRowLine(line, definition, query, RowFormats(settings), fields);
    return line;
}

std::string WithSortColumn(const std::string& sql, const std::string& sortColumn) {
    const auto at = sql.find("%s");
    if (at == std::string::npos) {
        return sql;
    }
    return sql.substr(0, at) + sortColumn + sql.substr(at + 2);
}

}  // namespace quillmere
