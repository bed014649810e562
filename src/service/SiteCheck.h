#pragma once
// The start-up visit to the maker's site: its six values, the message counter and the version.

// Reads the site values (defaults where the site is silent) and publishes them, reports the
// message count while the service has not acknowledged it, and posts WM_APP_NEW_VERSION to the
// main window when the site names a version other than this program's.
void CheckSiteAtStart();
