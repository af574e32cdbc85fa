#include "report/request.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"

namespace report {
namespace {

// The fields of the command-line record: 1-based character positions.
struct RecordField {
  std::string ReportRequest::*target;
  std::size_t start;
  std::size_t length;
};

constexpr RecordField kRecordFields[] = {
    {&ReportRequest::formNumber, 18, 4}, {&ReportRequest::ncNumber, 29, 8},
    {&ReportRequest::week, 28, 1},       {&ReportRequest::docId, 3, 15},
    {&ReportRequest::period, 22, 4},
};
constexpr std::size_t kOutputNameStart = 22;  // period and the two characters after it
constexpr std::size_t kOutputNameLength = 6;

}  // namespace

ReportRequest parseReportRequest(const std::string& record) {
  ReportRequest request;
  for (const RecordField& field : kRecordFields) {
    request.*field.target = platform::midChars(record, field.start, field.length);
  }
  request.outputName = request.formNumber +
                       platform::midChars(record, kOutputNameStart, kOutputNameLength) +
                       request.week + request.ncNumber;
  // The week stands unquoted in the declaration's queries: anything but one
  // digit would change them.
  const std::string& week = request.week;
  if (week.size() != 1 || week[0] < '0' || week[0] > '9') {
    throw platform::makeError(platform::err::kRequestWeekNotDigit, {week});
  }
  // The output name becomes two file names in RPT and TMP: it may name a
  // file there and nothing else.
  if (!platform::isPlainFileName(request.outputName)) {
    std::string shown = request.outputName;
    for (char& c : shown)
      if (static_cast<unsigned char>(c) < 0x20) c = '?';
    throw platform::makeError(platform::err::kOutputNameNotPlain, {shown});
  }
  return request;
}

}  // namespace report
