#include "core/loginrules.h"

bool HasSendRight(const QString &yetki, const QString &admn)
{
    if (!yetki.isEmpty())
        return yetki.contains(QStringLiteral("H1"), Qt::CaseSensitive);
    return admn == QStringLiteral("1");
}

bool RememberFromSetting(const QString &hatir)
{
    // A check box takes 0 (unticked), 1 (ticked) or 2 (greyed); only 1 remembers.
    bool ok = false;
    const int value = hatir.trimmed().toInt(&ok);
    return ok && value == 1;
}

namespace {
// The operator's row: the join of institution and operator on the chosen name and user name.
const QString kOperatorKeys =
    QStringLiteral("select kullanicilar.sayi from bakanlik inner join kullanicilar on "
                   "bakanlik.sayi=kullanicilar.kurum_id where kurum_unvan=? and "
                   "kullanicilar.kullanici=?");
} // namespace

const QString kInstitutionListSql = QStringLiteral("select * from bakanlik order by kurum_unvan");

const QString kRememberedLoginSql =
    QStringLiteral("select * from kullanicilar where hatirla_bilg=? and kullanicilar.sayi in (") +
    kOperatorKeys + QStringLiteral(")");

const QString kOperatorSql =
    QStringLiteral("select kullanicilar.*,") +
    QStringLiteral("bakanlik.kullanici_adi,bakanlik.sifre6 as siff from bakanlik inner join "
                   "kullanicilar on bakanlik.sayi=kullanicilar.kurum_id where kurum_unvan=") +
    QStringLiteral("? and kullanicilar.kullanici=") + QStringLiteral("?");

const QString kOperatorRowSql = QStringLiteral("select * from kullanicilar where sayi in (") +
                                kOperatorKeys + QStringLiteral(")");

const QString kMarkRememberedSql =
    QStringLiteral("update kullanicilar set hatirla='1', hatirla_bilg=? where sayi=?");

const QString kInstitutionByNameSql = QStringLiteral("select * from bakanlik where kurum_unvan=?");

bool IsServerMissingError(const QString &description)
{
    return description.contains(QStringLiteral("does not exist or a"));
}
