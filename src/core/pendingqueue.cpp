#include "core/pendingqueue.h"

#include "core/connection.h"
#include "core/database.h"
#include "core/outcome.h"
#include "core/recordedit.h"
#include "core/statustexts.h"

#include <QBrush>
#include <QColor>
#include <QFileInfo>
#include <QThread>

namespace {
QColor toColor(int colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}
} // namespace

bool PendingRecord::queued() const
{
    return ticked && status == queue::StatusQueued();
}

PendingQueue::PendingQueue(QObject *parent) : QAbstractTableModel(parent), m_prepare(RunPhotoJob) {}

PendingQueue::~PendingQueue()
{
    stopPreparation();
    m_pool.waitForDone();
}

int PendingQueue::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : recordCount();
}

int PendingQueue::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString PendingQueue::cell(const PendingRecord &r, int column) const
{
    switch (column) {
    case OrdinalColumn:
        return QString::number(r.ordinal);
    case YibfColumn:
        return r.yibf;
    case AdaColumn:
        return r.ada;
    case OwnerColumn:
        return r.owner;
    case ContractorColumn:
        return r.contractor;
    case PhotoColumn:
        return r.photoName;
    case DevelopmentsColumn:
        return r.developments;
    case NoteColumn:
        return r.note;
    case TotalColumn:
        return r.total;
    case StatusColumn:
        return r.status;
    case PhotoPathColumn:
        return r.photoPath;
    default:
        return {};
    }
}

QVariant PendingQueue::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= recordCount())
        return {};
    const PendingRecord &r = m_records.at(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return cell(r, column);
    case Qt::ToolTipRole: {
        // The whole text of a cell the column cuts, the portal's line breaks kept.
        QString text = cell(r, column);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case Qt::ForegroundRole:
        return QBrush(toColor(r.colour));
    case Qt::CheckStateRole:
        if (column == OrdinalColumn)
            return r.ticked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::DecorationRole:
        if (column != OrdinalColumn)
            return {};
        if (r.mark == RowMark::Done)
            return m_doneIcon;
        if (r.mark == RowMark::Problem)
            return m_problemIcon;
        return {};
    case MarkRole:
        return int(r.mark);
    default:
        return {};
    }
}

QVariant PendingQueue::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const auto &columns = queue::PendingListColumns();
    return section >= 0 && section < columns.size() ? columns[section].header : QString();
}

Qt::ItemFlags PendingQueue::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == OrdinalColumn)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool PendingQueue::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != OrdinalColumn)
        return false;
    setTickedByHand(index.row(), value.toInt() == Qt::Checked);
    return true;
}

int PendingQueue::rowOf(qlonglong number) const
{
    for (int i = 0; i < recordCount(); ++i)
        if (m_records.at(i).number == number)
            return i;
    return -1;
}

std::optional<int> PendingQueue::firstQueued() const
{
    for (int i = 0; i < recordCount(); ++i)
        if (m_records.at(i).queued())
            return i;
    return std::nullopt;
}

void PendingQueue::setMarkIcons(const QIcon &done, const QIcon &problem)
{
    m_doneIcon = done;
    m_problemIcon = problem;
}

void PendingQueue::changed(int row, int firstColumn, int lastColumn)
{
    Q_EMIT dataChanged(index(row, firstColumn), index(row, lastColumn));
}

void PendingQueue::clear()
{
    stopPreparation();
    ++m_generation;
    m_done = m_total = 0;
    m_waiting.clear();
    beginResetModel();
    m_records.clear();
    endResetModel();
}

void PendingQueue::stopPreparation()
{
    if (m_stop)
        m_stop->store(true);
}

std::optional<int> PendingQueue::fill(const QString &portalUser, bool restricted)
{
    clear();
    QVariantList binds;
    if (restricted)
        binds.append(portalUser);
    const auto rows = db::Select(ConnectionString(QStringLiteral("y3436")),
                                 queue::PendingListQuery(restricted), binds);
    if (!rows)
        return std::nullopt;

    // Records are built off the model and shown at once: a long queue fills in one layout pass.
    QList<PendingRecord> records;
    records.reserve(rows->size());
    QList<QPair<qlonglong, PhotoJob>> jobs;
    int i = 0;
    for (const QSqlRecord &row : *rows) {
        auto text = [&row](const char *column) { return db::Text(row, QString::fromUtf8(column)); };
        PendingRecord r;
        r.ordinal = ++i;
        r.number = text("sayı").toLongLong();
        r.yibf = text("yibfno");
        r.ada = text("ada");
        r.owner = text("arsasahibi");
        r.contractor = text("müteahhit");
        r.photoName = text("alan1");
        r.developments = text("alan2");
        r.note = text("aciklama");
        r.total = text("toplam");
        r.date = row.value(QStringLiteral("tarih")).toDate();
        r.status = queue::StatusQueued();
        if (queue::HasJpgExtension(r.photoName)) {
            r.ticked = true;
            const QString web = PreparedPhotoPath(m_firm, r.ada, r.photoName);
            if (QFileInfo(web).isFile()) {
                r.photoPath = web;
            } else if (QFileInfo(OriginalPhotoPath(m_firm, r.ada, r.photoName)).isFile()) {
                jobs.append({r.number, MakePhotoJob(PendingPhoto{r.photoName, r.ada, r.date},
                                                    m_firm.ortak, m_firm.photoDateSetting)});
            }
        } else {
            r.colour = queue::kRed;
            r.status = queue::StatusNotJpg();
            r.mark = RowMark::Problem;
        }
        records.append(r);
    }
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
    startPreparation(jobs);
    return recordCount();
}

void PendingQueue::startPreparation(const QList<QPair<qlonglong, PhotoJob>> &jobs)
{
    m_done = 0;
    m_total = int(jobs.size());
    if (jobs.isEmpty() || !m_prepare)
        return;
    // The office application's tool has one instruction file: it works one photograph at a time.
    const bool external = jobs.first().second.externalTool;
    m_pool.setMaxThreadCount(external ? 1 : qMax(1, QThread::idealThreadCount()));
    m_stop = std::make_shared<std::atomic<bool>>(false);
    const quint64 generation = m_generation;
    Q_EMIT preparationProgress(0, m_total);
    for (const auto &[number, job] : jobs) {
        m_waiting.insert(number);
        m_pool.start([this, stop = m_stop, prepare = m_prepare, generation, number = number,
                      job = job] {
            PhotoPreparation result;
            if (stop->load())
                result.ok = false; // dropped: nothing said, the row stays as it was listed
            else if (QFileInfo(job.webFolderNative + QLatin1Char('/') +
                               QFileInfo(job.sourceNative).fileName())
                         .isFile())
                result.ok = true; // the row's checks prepared it meanwhile
            else
                result = prepare(job);
            // Answered on the queue's own thread; the destructor waits for every job first.
            QMetaObject::invokeMethod(
                this, [this, generation, number, result] { prepared(generation, number, result); },
                Qt::QueuedConnection);
        });
    }
}

void PendingQueue::prepared(quint64 generation, qlonglong number, const PhotoPreparation &result)
{
    if (generation != m_generation)
        return;
    ++m_done;
    m_waiting.remove(number);
    const int row = rowOf(number);
    if (row >= 0 && m_records.at(row).photoPath.isEmpty()) {
        PendingRecord &r = m_records[row];
        const QString web = PreparedPhotoPath(m_firm, r.ada, r.photoName);
        if (QFileInfo(web).isFile()) {
            r.photoPath = web;
        } else if (!result.ok && !result.reason.isEmpty()) {
            // Refused (broken, too large): the row says why, instead of waiting for nothing.
            r.status = result.reason;
            r.colour = queue::kRed;
            r.mark = RowMark::Problem;
            r.ticked = false;
            StoreStatusNote(r.number, r.status, m_operator);
        }
        changed(row);
        Q_EMIT photoPrepared(row);
    }
    Q_EMIT preparationProgress(m_done, m_total);
}

void PendingQueue::setTickedByHand(int row, bool ticked)
{
    if (row < 0 || row >= recordCount())
        return;
    PendingRecord &r = m_records[row];
    if (r.ticked == ticked)
        return;
    r.ticked = ticked;
    if (ticked) {
        r.colour = queue::kGreen;
        r.status = queue::StatusQueued();
    } else {
        r.colour = queue::kBlack;
    }
    changed(row);
}

void PendingQueue::tickAll(bool ticked)
{
    for (PendingRecord &r : m_records) {
        r.ticked = ticked;
        r.colour = ticked ? queue::kGreen : queue::kBlack;
    }
    if (recordCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(recordCount() - 1, ColumnCount - 1));
}

void PendingQueue::applyFailure(int row, const queue::CheckFailure &failure)
{
    PendingRecord &r = m_records[row];
    r.colour = queue::kRed;
    r.status = failure.text;
    r.mark = RowMark::Problem;
    if (failure.stored)
        StoreStatusNote(r.number, r.status, m_operator);
    r.ticked = false;
}

RecordCheck PendingQueue::check(int row)
{
    if (row < 0 || row >= recordCount())
        return {};
    RecordCheck c = CheckRecord(m_records.at(row), m_firm, m_prepare);
    if (!c.found)
        return c;
    PendingRecord &r = m_records[row];
    // The list shows what will be sent.
    r.photoName = c.fresh.photoName;
    r.photoPath = c.fresh.photoPath;
    r.developments = c.fresh.developments;
    r.note = c.fresh.note;
    r.total = c.fresh.total;
    r.levels = c.fresh.levels;
    r.sender = c.fresh.sender;
    r.senderTc = c.fresh.senderTc;
    for (const queue::CheckFailure &failure : std::as_const(c.failures))
        applyFailure(row, failure);
    if (c.unsettled) {
        // Marked only: the row keeps its tick and its status text.
        r.colour = queue::kRed;
        r.mark = RowMark::Problem;
    }
    changed(row);
    return c;
}

bool PendingQueue::withdraw(int row)
{
    if (row < 0 || row >= recordCount())
        return false;
    std::optional<RecordEdit> edit = LookupYedek5(m_records.at(row).number);
    if (!edit)
        return false;
    edit->setValue(QStringLiteral("bak_durum"), QVariant(QMetaType::fromType<QString>()));
    StampRecord(*edit, kStampWithdrawn, m_operator);
    if (!SaveRecord(*edit))
        return false; // the row stays: the record is still pending
    beginRemoveRows({}, row, row);
    m_records.removeAt(row);
    endRemoveRows();
    return true;
}

PendingQueue::Applied PendingQueue::apply(qlonglong number, const SubmissionOutcome &outcome)
{
    const bool stored = (!outcome.status && !outcome.stored) ||
                        StoreSubmissionEnd(number, outcome.status, outcome.stored, m_operator);
    const int row = rowOf(number);
    if (row < 0)
        return stored ? Applied::Stored : Applied::Refused;
    PendingRecord &r = m_records[row];
    if (stored) {
        if (outcome.status)
            r.status = *outcome.status;
        if (outcome.mark)
            r.mark = *outcome.mark;
    } else {
        r.status = queue::StatusNotStored(PortalHoldsRecord(outcome.stored));
        r.colour = queue::kRed;
        r.mark = RowMark::Problem;
        r.ticked = false;
    }
    changed(row);
    return stored ? Applied::Stored : Applied::Refused;
}

QList<QStringList> PendingQueue::printRows() const
{
    QList<QStringList> rows;
    for (const PendingRecord &r : m_records) {
        QStringList subItems;
        for (int c = YibfColumn; c <= PhotoPathColumn; ++c)
            subItems.append(cell(r, c));
        rows.append(subItems);
    }
    return rows;
}
