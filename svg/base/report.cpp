#include "svg/base/report.h"

static ReportSink reportSink;
static std::wstring lastReported;

void SetReportSink(ReportSink sink) {
    reportSink = sink;
}

void ReportLastError(const std::wstring& message) {
    lastReported = message;
    if (reportSink)
        reportSink(message);
}

const std::wstring& LastReportedError() {
    return lastReported;
}
