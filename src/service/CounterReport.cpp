#include "service/CounterReport.h"

#include "net/FormRequest.h"
#include "res/StringTable.h"

void ReportSentMessage() noexcept {
    try {
        CFormRequest request(IDS_SERVICE_HOST, IDS_COUNTER_PATH, VerbPost, kFormContentType, false);
        request.AddField("counterID", "1");
        request.AddField("sum", "1");
        request.Perform();
    } catch (...) {
    }
}
