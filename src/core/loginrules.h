#pragma once

#include <QString>

// The rules of the operator login, apart from the window.

// May the operator send photographs? A rights text must contain "H1" (exactly that case); an
// empty rights text is enough only for an administrator (admin mark "1").
bool HasSendRight(const QString &yetki, const QString &admn);

// The "Kullanıcı Adını Hatırla" box from the stored "hatir" setting: ticked only for the number
// 1; a missing or non-numeric text leaves it unticked.
bool RememberFromSetting(const QString &hatir);

// The statements of the login. Every value the operator typed and the host name are bound to a
// "?" mark, so a quote in them is looked up literally.
extern const QString kInstitutionListSql;   // all institutions, by name
extern const QString kRememberedLoginSql;   // binds: host name, institution, user name
extern const QString kOperatorSql;          // binds: institution, user name
extern const QString kOperatorRowSql;       // binds: institution, user name
extern const QString kMarkRememberedSql;    // binds: host name, operator row key
extern const QString kInstitutionByNameSql; // binds: institution

// Whether a database error means the server itself is missing (the fatal case of the window).
bool IsServerMissingError(const QString &description);
