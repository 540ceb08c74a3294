#pragma once
// The text that one column value yields in an exported table, decided by the
// column's type as the data source reports it and written in the user's
// regional formats.
//
//   NULL                 empty text
//   text                 the characters in Windows-1252, nothing trimmed
//   integer              decimal digits, "-" before a negative value
//   exact decimal        rounded to 4 places, no trailing zeros: 1234.5, 100, -0.25
//   floating point       15 significant digits; "E" notation below 0.00001 or
//                        beyond 15 integer digits: 1E20, 1.5E-7
//   date                 short date format (31/01/2016)
//   date and time        short date, then " " and the long time unless midnight
//   time                 long time format (14:05:09)
//   boolean              "True" / "False"
#include <string>
#include <string_view>

#include "platform/System.h"
#include "platform/odbc/OdbcQuery.h"

namespace quillmere {

// What writing a value could not keep of it: characters written as "?"
// (Windows-1252 lacks them), or decimal places beyond the fourth rounded
// away.
enum class ValueLoss { None, Replaced, Rounded };

// The value text of a column of the query's current record.
std::string ValueText(const odbc::Query& query, int field, const RegionalSettings& settings);
// The same, appended to `out` (a table line is made without a text per value).
ValueLoss AppendValueText(std::string& out, const odbc::Query& query, int field,
                          const RegionalSettings& settings);

// An exact decimal ("-1234.56789", as the driver gives it) rounded half away
// from zero to four places, in general notation with `decimalSeparator`.
// Appending tells whether a digit other than zero was rounded away.
std::string DecimalValueText(std::string_view digits, char decimalSeparator);
bool AppendDecimalValueText(std::string& out, std::string_view digits, char decimalSeparator);

// A floating value in general notation with at most 15 significant digits.
std::string FloatValueText(double value, char decimalSeparator);

std::string DateValueText(const odbc::DateValue& date, const RegionalSettings& settings);
std::string TimeValueText(const odbc::TimeValue& time, const RegionalSettings& settings);
std::string TimestampValueText(const odbc::TimestampValue& stamp, const RegionalSettings& settings);

// The settings for numbers written bare: a decimal comma would split one
// value into two columns, so it becomes "."; dates and times keep theirs.
RegionalSettings BareValueSettings(const RegionalSettings& settings);

}  // namespace quillmere
