// The last-error reporter as the SVG readers see it. The readers know nothing
// of the host: they report through a sink that the plug-in installs when it is
// loaded (it writes "[Vexlar.LastError]"). The last message is also kept, for
// tools and tests that run the readers without a host.
#pragma once

#include <string>

typedef void (*ReportSink)(const std::wstring& message);

void SetReportSink(ReportSink sink);
// Writes one failure message: keeps it and passes it to the sink, if any.
void ReportLastError(const std::wstring& message);
const std::wstring& LastReportedError();
