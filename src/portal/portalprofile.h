#pragma once

class QWebEngineProfile;

// The one browser profile every portal page lives in (the main window's browser and the
// submission window's share cookies through it). It keeps no HTTP cache at all, so no portal
// page is ever read from or written to a cache.
QWebEngineProfile *PortalProfile();
