#pragma once

#include "core/pendingrecord.h"
#include "core/recordcheck.h"
#include "core/submission.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QSet>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <optional>

// The firm's pending photographs as the main window lists them: a table model of typed records
// (one row per record, the eleven columns of the list), the rules that change them, and their
// writes into the firm's database. Rows are 0-based here.
class PendingQueue : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        OrdinalColumn,
        YibfColumn,
        AdaColumn,
        OwnerColumn,
        ContractorColumn,
        PhotoColumn,
        DevelopmentsColumn,
        NoteColumn,
        TotalColumn,
        StatusColumn,
        PhotoPathColumn,
        ColumnCount
    };
    // The row's RowMark as an int, beside the icon of Qt::DecorationRole.
    static constexpr int MarkRole = Qt::UserRole + 1;

    explicit PendingQueue(QObject *parent = nullptr);
    // Waits for photographs being prepared (those not started are dropped).
    ~PendingQueue() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A tick set through the view is the operator's: see setTickedByHand.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    int recordCount() const { return int(m_records.size()); }
    const PendingRecord &recordAt(int row) const { return m_records.at(row); }
    // The row of the record with this number, or -1.
    int rowOf(qlonglong number) const;
    // The first queued row, or nullopt.
    std::optional<int> firstQueued() const;

    // The firm's photo settings, the operator (for the change stamps), how photographs are
    // prepared, and the two small icons.
    void setFirm(const FirmPhotoSettings &firm) { m_firm = firm; }
    const FirmPhotoSettings &firm() const { return m_firm; }
    void setOperatorName(const QString &name) { m_operator = name; }
    QString operatorName() const { return m_operator; }
    void setPreparer(PhotoPreparer prepare) { m_prepare = std::move(prepare); }
    void setMarkIcons(const QIcon &done, const QIcon &problem);

    // Reads the pending records (only those of the institution `portalUser` when restricted).
    // The row count, or nullopt when the database could not be read (the list is then empty).
    // Photographs that have only their original are then prepared off this thread, on every
    // core (one at a time with the office application's tool), in the list's order: each row
    // takes its copy, or the reason it has none, as it comes (preparationProgress).
    std::optional<int> fill(const QString &portalUser, bool restricted);
    void clear();
    bool preparing() const { return m_total > 0 && m_done < m_total; }
    // The row's photograph is waiting for (or under) the preparation started by the fill.
    bool photoWaiting(int row) const
    {
        return row >= 0 && row < recordCount() && m_waiting.contains(m_records.at(row).number);
    }
    // Drops the photographs not started yet; those under way finish.
    void stopPreparation();

    // The operator ticks or unticks a row: ticked rows turn green and queued, unticked black with
    // their text kept.
    void setTickedByHand(int row, bool ticked);
    // "Tümü": every row ticked green, or unticked black; texts kept.
    void tickAll(bool ticked);

    // The eligibility checks of a row: its details refreshed, each failure applied to the row
    // (red, its text, the problem icon, unticked; stored ones written as the status note).
    RecordCheck check(int row);

    // Withdraws the row's record from sending (bak_durum emptied, stamped); the row goes only
    // when the database took it. False when the record is not there or the write failed.
    bool withdraw(int row);

    enum class Applied { Stored, Refused };
    // Applies a submission's end to record `number` and stores it in one statement. When the
    // database refuses, the row says so instead (never "sent"), red, unticked and with the
    // problem icon, so it is not sent again in this session.
    Applied apply(qlonglong number, const SubmissionOutcome &outcome);

    // The list as the printed list takes it: sub-items 1-10 of every row.
    QList<QStringList> printRows() const;

Q_SIGNALS:
    // done of total photographs prepared (or dropped); done == total: the preparation is over.
    void preparationProgress(int done, int total);
    // The row's photograph was prepared (or refused: its status says why).
    void photoPrepared(int row);

private:
    void startPreparation(const QList<QPair<qlonglong, PhotoJob>> &jobs);
    void prepared(quint64 generation, qlonglong number, const PhotoPreparation &result);
    QString cell(const PendingRecord &r, int column) const;
    void changed(int row, int firstColumn = 0, int lastColumn = ColumnCount - 1);
    void applyFailure(int row, const queue::CheckFailure &failure);

    QList<PendingRecord> m_records;
    FirmPhotoSettings m_firm;
    QString m_operator;
    PhotoPreparer m_prepare;
    QThreadPool m_pool;
    std::shared_ptr<std::atomic<bool>> m_stop;
    quint64 m_generation = 0; // a refill forgets the answers of the fill before
    QSet<qlonglong> m_waiting;
    int m_done = 0;
    int m_total = 0;
    QIcon m_doneIcon;
    QIcon m_problemIcon;
};
