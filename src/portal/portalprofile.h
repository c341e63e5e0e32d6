#pragma once

class QWebEngineProfile;

// The one browser profile every portal browser shares, so the session cookie made at the login
// page goes with the logged-in window into the submission window. It keeps no HTTP cache and asks
// every server for fresh answers: a portal page is never read from a cache. It lives in memory
// for the life of the program; emptying its URL cache forgets visited addresses only, never the
// session.
QWebEngineProfile *PortalProfile();
