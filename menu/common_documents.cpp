#include "menu/common_documents.h"

#include "excel/failure.h"
#include "excel/spreadsheet.h"
#include "excel/work_thread.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/messages.h"
#include "ui/accessible.h"
#include "ui/colours.h"
#include "ui/flex_grid.h"
#include "ui/progress_window.h"
#include "ui/twips.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

namespace kpv::menu {

using ui::setGeometryTwips;

namespace {
QPushButton *button(QWidget *parent, const char *name, const QString &caption, int l, int t, int w, int h)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(caption);
    setGeometryTwips(b, l, t, w, h);
    return b;
}
} // namespace

CommonDocuments::CommonDocuments(ScreenServices &services, DesktopOpener desktopOpen, QWidget *parent)
    : QWidget(parent), m_services(services), m_desktopOpen(std::move(desktopOpen))
{
    if (!m_desktopOpen)
        m_desktopOpen = [](const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    Dolvb &d = services.d;
    setObjectName(QStringLiteral("FormCommonDocuments"));
    setWindowTitle(d.appTitle + QStringLiteral("　予備品共通資料"));
    setGeometryTwips(this, 0, 0, 11400, 8200);
    ui::paintBackground(this, d.backgroundColour, QColor(0xAD, 0xD8, 0xE6));

    auto *caption = new QLabel(QStringLiteral("予備品共通資料（M在庫資料フォルダー）"), this);
    caption->setObjectName(QStringLiteral("Label2"));
    QFont big = caption->font();
    big.setPointSize(12);
    big.setBold(true);
    caption->setFont(big);
    setGeometryTwips(caption, 240, 160, 8000, 400);
    folder = new QLabel(this);
    folder->setObjectName(QStringLiteral("Label1"));
    ui::showsValue(folder, QStringLiteral("資料フォルダー"));
    setGeometryTwips(folder, 240, 600, 10900, 300);
    auto *filterCaption = new QLabel(QStringLiteral("名前で絞込"), this);
    filterCaption->setObjectName(QStringLiteral("Label3"));
    setGeometryTwips(filterCaption, 240, 1000, 1400, 360);
    filter = new QLineEdit(this);
    filter->setObjectName(QStringLiteral("Text1"));
    filter->setAccessibleName(filterCaption->text());
    setGeometryTwips(filter, 1700, 960, 5000, 400);

    list = new ui::FlexGrid(this, QStringLiteral("MSFlexGrid1"));
    list->setAccessibleName(QStringLiteral("資料一覧"));
    list->setCols(3);
    list->setRows(1);
    list->setFixedRows(1);
    list->setTextMatrix(0, 0, QStringLiteral("ファイル名"));
    list->setTextMatrix(0, 1, QStringLiteral("更新日時"));
    list->setTextMatrix(0, 2, QStringLiteral("サイズ"));
    list->setColWidthTwips(0, 6400);
    list->setColWidthTwips(1, 2600);
    list->setColWidthTwips(2, 1300);
    list->setColAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    setGeometryTwips(list, 240, 1500, 10900, 5600);

    open = button(this, "Command1", QStringLiteral("開　く"), 240, 7300, 1800, 520);
    refresh = button(this, "Command2", QStringLiteral("最新表示"), 2200, 7300, 1800, 520);
    back = button(this, "Command4", QStringLiteral("戻　る"), 9340, 7300, 1800, 520);

    connect(filter, &QLineEdit::textChanged, this, [this] { showList(); });
    connect(refresh, &QPushButton::clicked, this, &CommonDocuments::reload);
    connect(open, &QPushButton::clicked, this, [this] { openRow(list->row()); });
    connect(list, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openRow(row); });
    connect(back, &QPushButton::clicked, this, &QWidget::close);
    ui::centerForm(this);
    reload();
}

QString CommonDocuments::folderPath() const
{
    return m_services.d.dataFolder + names::materialsFolder() + QChar('/');
}

void CommonDocuments::reload()
{
    folder->setText(QDir::toNativeSeparators(folderPath()));
    m_all = listDocuments(folderPath());
    showList();
}

void CommonDocuments::showList()
{
    m_shown = filterDocuments(m_all, filter->text());
    list->setRedraw(false);
    list->setRows(1 + int(m_shown.size()));
    for (size_t i = 0; i < m_shown.size(); ++i) {
        const int r = int(i) + 1;
        list->setTextMatrix(r, 0, m_shown[i].name);
        list->setTextMatrix(r, 1, m_shown[i].modified.toString(QStringLiteral("yyyy/MM/dd HH:mm")));
        list->setTextMatrix(r, 2, sizeText(m_shown[i].size));
    }
    list->setRedraw(true);
    if (!m_shown.empty()) list->setRow(1);
}

bool CommonDocuments::openRow(int row)
{
    if (row < 1 || row > int(m_shown.size())) return false;
    const DocumentEntry &e = m_shown[size_t(row - 1)];
    Dolvb &d = m_services.d;
    if (!QFileInfo::exists(e.path)) {
        d.messages().tell(QStringLiteral("確認"), e.name + QChar('\r') + QStringLiteral("　が見つかりません。　"));
        reload();
        return false;
    }
    if (opensInOffice(e.name)) {
        excel::Status s = excel::Status::fail(excel::FailureKind::ApplicationFailed, QStringLiteral("no office"));
        if (excel::Spreadsheet *office = m_services.spreadsheet) {
            const QString path = e.path;
            ui::runOfficeWork(this, *office, e.name, QStringLiteral("Excelで開いています"), [office, path, &s](excel::Progress &) {
                auto book = office->bind(path, excel::Spreadsheet::Access::Read);
                if (!book.ok()) {
                    s = book.failure();
                    return;
                }
                s = book.value()->setApplicationVisible(true);
                if (s) s = book.value()->activateFirstSheet();
                if (s) s = book.value()->setWindowVisible(true);
            });
        }
        if (!s) excel::ReportExcelFailure(d.messages(), s);
        return s.ok();
    }
    if (m_desktopOpen(e.path)) return true;
    d.messages().tell(QStringLiteral("確認"), e.name + QChar('\r') + QStringLiteral("　を開くアプリケーションがありません。　"));
    return false;
}

} // namespace kpv::menu
