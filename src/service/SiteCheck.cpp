#include "service/SiteCheck.h"

#include "res/StringTable.h"
#include "runtime/PostToTarget.h"
#include "service/CounterReport.h"
#include "service/SiteInfo.h"
#include "storage/AppSettings.h"

void CheckSiteAtStart() {
    CAppSettings& settings = AppSettings();
    const SiteInfoValues values = ReadSiteInfoValues(CSiteInfo());
    settings.SetSiteInfo(values);

    if (settings.CounterReported.load() == 0 && ReportMessageCount(settings.MessageCount.load())) {
        settings.CounterReported = 1;
    }
    // Any other version text counts, an older one too: the site names the one to run.
    if (values.LatestVersion != LoadString(IDS_VERSION))
        PostToTarget(PostTarget::MainWindow, WM_APP_NEW_VERSION);
}
