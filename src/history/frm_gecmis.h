#pragma once

#include "core/senthistory.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;

// The sent history ("Gönderim Geçmişi"): what the firm sent between two days, each record with
// its proof, so the operator can show what was reported for a site and when. The window only
// shows: the query, the filters and the exports are the core's (core/senthistory.h).
class frm_gecmis : public QWidget
{
    Q_OBJECT
public:
    explicit frm_gecmis(const history::Scope &scope, QWidget *parent = nullptr);

    QDateEdit *DTPicker1;   // first day
    QDateEdit *DTPicker2;   // last day
    QComboBox *Combo1;      // site (YİBF number); the first entry is every site
    QComboBox *Combo2;      // operator; the first entry is every operator
    QTreeWidget *ListView1; // the records shown
    QLabel *Label1;         // how many
    QPushButton *Command1;  // "KANITI AÇ": the selected record's PDF
    QPushButton *Command2;  // "KLASÖRÜ AÇ": the folder of its proof
    QPushButton *Command3;  // "YAZDIR"
    QPushButton *Command4;  // "PDF KAYDET"
    QPushButton *Command5;  // "CSV KAYDET"

    // Reads the records of the chosen days again; the filters stay where they can.
    void refresh();
    const QList<history::SentRecord> &shown() const { return m_shown; }

    // Where the window hands its work on; tests replace them.
    // Shows the report (preview, print or PDF).
    std::function<void(const queue::Report &)> showReport;
    // Asks where to save; "" when the operator cancels.
    std::function<QString(const QString &suggested, const QString &filter)> askFileName;

private:
    void applyFilter();
    void refill(QComboBox *box, const QStringList &values);
    const history::SentRecord *selected() const;
    void selectionChanged();
    void save(const QString &extension, const QString &filter);

    history::Scope m_scope;
    QList<history::SentRecord> m_all;
    QList<history::SentRecord> m_shown;
};
