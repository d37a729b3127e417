#include "ledger/workbook_commands.h"

#include "excel/failure.h"
#include "excel/ledger_output.h"
#include "excel/monthly_import.h"
#include "excel/spec_workbook.h"
#include "ledger/form11.h"
#include "search/narrow_panel.h"
#include "storage/dolvb.h"
#include "storage/messages.h"
#include "ui/clickable.h"
#include "ui/flex_grid.h"
#include "ui/progress_window.h"
#include "ui/twips.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

namespace kpv::ledger {

namespace {
const QString kAskTitle = QStringLiteral("登録確認");

QString lines(std::initializer_list<const char *> parts)
{
    QStringList l;
    for (const char *p : parts) l << QString::fromUtf8(p);
    return l.join(QChar('\r'));
}
} // namespace

WorkbookCommands::WorkbookCommands(Form11 &form, excel::Spreadsheet *office, MonthlyExplained &explained)
    : QObject(&form), m_form(form), m_office(office), m_explained(explained)
{
    importButton = form.importPanel->findChild<QPushButton *>(QStringLiteral("Command25"));
    editButton = form.importPanel->findChild<QPushButton *>(QStringLiteral("Command26"));
    progressNote = form.progress->findChild<QLabel *>(QStringLiteral("Label7"));
    connect(form.ledgerBook, &QPushButton::clicked, this, &WorkbookCommands::outputLedger);
    connect(form.cardPanel().specBook, &QPushButton::clicked, this, &WorkbookCommands::outputSpecification);
    connect(form.monthlyImport, &QPushButton::clicked, this, &WorkbookCommands::openMonthlyPanel);
    if (editButton) connect(editButton, &QPushButton::clicked, this, &WorkbookCommands::editDailyBook);
    if (importButton) connect(importButton, &QPushButton::clicked, this, &WorkbookCommands::importMonth);
    // "Excel出力" of the narrowing panel writes the items it found, in their order.
    const search::NarrowPanel &narrow = form.narrowing();
    attachListOutput(narrow.excelButton, [&narrow] { return narrow.narrowing().result(); });
}

void WorkbookCommands::attachListOutput(QPushButton *command44, std::function<std::vector<int>()> list)
{
    connect(command44, &QPushButton::clicked, this, [this, list = std::move(list)] { outputList(list()); });
}

bool WorkbookCommands::haveOffice()
{
    if (m_office) return true;
    excel::ReportExcelFailure(m_form.session().data().messages(),
                              excel::Failure{excel::FailureKind::ApplicationFailed, QStringLiteral("no office")});
    return false;
}

void WorkbookCommands::showNotice(const QString &caption)
{
    if (progressNote) progressNote->setText(caption);
    m_form.progress->show();
    m_form.progress->raise();
}

void WorkbookCommands::hideNotice() { m_form.progress->hide(); }

void WorkbookCommands::outputLedger()
{
    m_form.cardPanel().panel->hide();
    if (!m_form.fom11gamencler()) return;
    Dolvb &d = m_form.session().data();
    if (!d.messages().ask(kAskTitle, QStringLiteral("在庫品台帳Excelを出力しますか？　"))) return;
    if (!haveOffice()) return;
    runLedgerOutput(nullptr);
}

void WorkbookCommands::outputList(const std::vector<int> &list)
{
    if (!haveOffice()) return;
    runLedgerOutput(&list);
}

void WorkbookCommands::runLedgerOutput(const std::vector<int> *list)
{
    Dolvb &d = m_form.session().data();
    const bool show = m_show;
    showNotice(workbooks::ledger_output_text::progressCaption());
    ui::runOfficeWork(&m_form, *m_office, QStringLiteral("在庫品台帳Excel出力"), workbooks::ledger_output_text::makingStep(),
                      [&d, office = m_office, show, list](excel::Progress &progress) {
                          workbooks::LedgerOutput out(d, *office, &progress);
                          out.setShowResult(show);
                          out.run(list);
                      });
    hideNotice();
}

void WorkbookCommands::outputSpecification()
{
    if (!haveOffice()) return;
    Dolvb &d = m_form.session().data();
    CardPanel &card = m_form.cardPanel();
    workbooks::SpecCard spec;
    spec.itemNumber = card.itemNumber->text();
    for (int c = 0; c < 5; ++c) {
        spec.headings[size_t(c)] = card.fields->textMatrix(0, c);
        spec.values[size_t(c)] = card.fields->textMatrix(1, c);
    }
    const int record = d.currentRecordNo;
    const bool show = m_show;
    showNotice(workbooks::ledger_output_text::progressCaption());
    ui::runOfficeWork(&m_form, *m_office, QStringLiteral("在庫品仕様Excel出力"), workbooks::spec_text::writingStep(),
                      [&d, office = m_office, show, record, spec](excel::Progress &progress) {
                          workbooks::SpecWorkbook book(d, *office, &progress);
                          book.setShowResult(show);
                          book.run(record, spec);
                      });
    hideNotice();
}

void WorkbookCommands::openMonthlyPanel()
{
    if (!m_explained.panel) {
        m_explained.panel = true;
        m_form.session().data().messages().ask(
            kAskTitle, lines({"日毎予備品入出庫数量編集", "入出庫記載　日毎入出庫数量Excelシートの編集（編集Excelを開きます。）",
                              "入出庫転記　編集Excelの日毎入出庫数量積算により月毎合計値を", "当ソフトデーターとしてインポートします。　"}));
    }
    ui::setGeometryTwips(m_form.importPanel, 8760, 720, 6000, 1600);
    m_form.importPanel->show();
    m_form.importPanel->raise();
}

void WorkbookCommands::editDailyBook()
{
    Dolvb &d = m_form.session().data();
    if (!m_explained.edit) {
        m_explained.edit = true;
        if (!d.messages().ask(kAskTitle, lines({"日毎予備品入出庫編集", "日毎入出庫数量Excelシートの編集を行います。（編集Excelを開きます）",
                                                "　※編集後は上書き保存", "　※編集Excelの日毎入出庫数量の入力（編集）により月毎合計値を",
                                                "　　入出庫転記により当ソフトデーターとしてインポートします。　"})))
            return;
    }
    m_form.importPanel->hide();
    if (!haveOffice()) return;
    ui::runOfficeWork(&m_form, *m_office, QStringLiteral("日毎入出庫Excel"), workbooks::monthly_text::openingStep(),
                      [&d, office = m_office](excel::Progress &progress) {
                          workbooks::MonthlyImport(d, *office, &progress).openForEditing();
                      });
}

void WorkbookCommands::importMonth()
{
    Dolvb &d = m_form.session().data();
    if (!m_explained.import) {
        m_explained.import = true;
        if (!d.messages().ask(kAskTitle, lines({"日毎予備品入出庫数量取り込み", "入出庫転記→M在庫資料フォルダーの",
                                                "日毎入出庫数量入力後l、月合計数量を集計",
                                                "月毎合計値データを当システムデーターとしてインポートします。"})))
            return;
    }
    m_form.importPanel->hide();
    if (!haveOffice()) return;
    showNotice(workbooks::monthly_text::importCaption());
    ui::runOfficeWork(&m_form, *m_office, QStringLiteral("入出庫転記"), workbooks::monthly_text::readingStep(),
                      [&d, office = m_office](excel::Progress &progress) {
                          workbooks::MonthlyImport(d, *office, &progress).run();
                      });
    if (progressNote) progressNote->setText(workbooks::monthly_text::outputCaption());
    hideNotice();
    // The list as right after the screen opened: page 1 with the new figures.
    m_form.session().open();
    m_form.refresh();
}

} // namespace kpv::ledger
