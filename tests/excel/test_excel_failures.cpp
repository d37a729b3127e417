// Failure kinds and their messages, the template copy, and a missing office.

#include "excel/create_from_template.h"
#include "excel/failure.h"
#include "excel/file_ops.h"
#include "excel/libreoffice.h"
#include "scripted_messages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>

using namespace kpv::excel;

namespace {

// Records binds; the template copy is what is under test here.
class FakeSpreadsheet : public Spreadsheet {
public:
    Result<std::unique_ptr<Workbook>> bind(const QString &path, Access access) override
    {
        bound = path;
        boundAccess = access;
        return Failure{FailureKind::Other, QStringLiteral("fake")};
    }
    Result<std::unique_ptr<Workbook>> createNew() override { return Failure{FailureKind::Other, {}}; }
    bool isOpen(const QString &path) override { return openPath == path; }

    QString bound;
    Access boundAccess = Access::Read;
    QString openPath;
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ExcelFailure, EachKindHasItsMessage)
{
    struct Case {
        FailureKind kind;
        const char *title;
        const char *text;
    } cases[] = {
        {FailureKind::InUse, "Excel出力異常", "既にExcelが開かれてます、Excelを閉じて再出力して下さい。　"},
        {FailureKind::ApplicationFailed, "Excel出力異常", "Excel自体のエラーです、Excel（Office)を確認してください。　"},
        {FailureKind::TemplateMissing, "Excel出力異常",
         "原本Excelフォルダー内のExcelファイル\r　在庫出力台帳.xls\r　　が見つかりません。"},
        {FailureKind::DiskNotReady, "Excel出力異常", "ディスクが準備されていません。　"},
        {FailureKind::FolderMissing, "Excel出力異常",
         "原本Excelフォルダーか\r出力Excelフォルダーが見つかりません。\r原本Excelフォルダー位置及び出力Excelフォルダー位置\r　を確認してください。"},
        {FailureKind::WorkbookNotFound, "Excel異常", "Excelファイル名称が違います。　"},
        {FailureKind::WriteFailed, "Excel出力異常",
         "Excelファイルを保存できませんでした。\r出力先のディスクの空き容量と状態を確認してください。　"},
        {FailureKind::NoAnswer, "Excel出力異常",
         "Excelが応答しません。　\r開かれているブックを守るため、Excelは終了させていません。\r"
         "Excelの画面を確認してから、もう一度操作して下さい。　"},
        {FailureKind::Other, "Excel出力異常",
         "Excel出力設定の問題です、マニュアルでパソコンの設定を確認してください。　"},
    };
    for (const Case &c : cases) {
        kpv::testing::ScriptedMessages messages;
        ReportExcelFailure(messages, Failure{c.kind, QStringLiteral("detail")});
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.last().kind, kpv::testing::RecordedMessage::Tell);
        EXPECT_EQ(messages.last().title, QString::fromUtf8(c.title));
        EXPECT_EQ(messages.last().text, QString::fromUtf8(c.text));
    }
}

TEST(ExcelFailure, SuccessAndCancelShowNothing)
{
    kpv::testing::ScriptedMessages messages;
    ReportExcelFailure(messages, Status());
    ReportExcelFailure(messages, Failure{FailureKind::Cancelled, QStringLiteral("中止")});
    EXPECT_EQ(messages.count(), 0);
}

// While the office stores a book over an earlier one, the earlier one is kept
// beside it: a store that fails or is broken off gets it back whole.
TEST(ExcelFailure, AStoreThatDoesNotFinishLeavesTheEarlierBook)
{
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("在庫品仕様A-1.xls"));
    auto write = [](const QString &path, const QByteArray &bytes) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    };
    auto read = [](const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    };
    ASSERT_TRUE(write(book, "the earlier book"));
    {
        BookBackup backup(book);
        ASSERT_TRUE(backup.ok());
        ASSERT_TRUE(write(book, "half a bo")); // the office was killed while storing
        backup.restore();
    }
    EXPECT_EQ(read(book), QByteArray("the earlier book"));
    {
        BookBackup backup(book);
        ASSERT_TRUE(write(book, "the new book"));
        backup.discard();
    }
    EXPECT_EQ(read(book), QByteArray("the new book"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("在庫品仕様A-1.xls")});
    // No book before: what was begun of a new one goes.
    const QString fresh = dir.filePath(QStringLiteral("new.xls"));
    {
        BookBackup backup(fresh);
        ASSERT_TRUE(write(fresh, "half"));
        backup.restore();
    }
    EXPECT_FALSE(QFileInfo::exists(fresh));
}

TEST(ExcelFailure, PlatformErrorsMapToKinds)
{
    const std::pair<int, FailureKind> cases[] = {
        {EACCES, FailureKind::InUse},          {EROFS, FailureKind::InUse},
        {EBUSY, FailureKind::InUse},           {ENOENT, FailureKind::FolderMissing},
        {ENOTDIR, FailureKind::FolderMissing}, {EIO, FailureKind::DiskNotReady},
        {ENOMEDIUM, FailureKind::DiskNotReady}, {ENODEV, FailureKind::DiskNotReady},
        {ENAMETOOLONG, FailureKind::WorkbookNotFound}, {ENOSPC, FailureKind::WriteFailed},
        {EFBIG, FailureKind::WriteFailed},        {EPIPE, FailureKind::Other},
    };
    for (const auto &[error, kind] : cases) EXPECT_EQ(FailureKindFromErrno(error), kind) << error;
}

TEST(ExcelCellValue, NumbersBecomeTheirShortText)
{
    const std::pair<double, const char *> cases[] = {
        {12, "12"}, {0, "0"}, {-3, "-3"}, {1.5, "1.5"}, {0.1, "0.1"}, {1234567.25, "1234567.25"}, {1e20, "1E+20"},
    };
    for (const auto &[n, text] : cases) EXPECT_EQ(CellValue::number(n).text(), QString::fromUtf8(text)) << n;
    EXPECT_EQ(CellValue(QStringLiteral("0089")).text(), QStringLiteral("0089"));
    EXPECT_TRUE(CellValue(QString()).isEmpty());
}

class TemplateCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_client = m_dir.path() + QStringLiteral("/client/");
        m_out = m_dir.path() + QStringLiteral("/data/M在庫資料/");
        writeFile(ExcelTemplatePath(m_client), "template bytes");
        QDir().mkpath(m_out);
    }
    QTemporaryDir m_dir;
    QString m_client, m_out;
    FakeSpreadsheet m_app;
};

TEST_F(TemplateCopy, NewOutputIsCopiedAndBoundForWriting)
{
    const QString out = m_out + QStringLiteral("在庫品仕様1001.xls");
    CreateFromTemplate(m_app, m_client, out);
    EXPECT_EQ(readFile(out), QByteArray("template bytes"));
    EXPECT_EQ(m_app.bound, out);
    EXPECT_EQ(m_app.boundAccess, Spreadsheet::Access::Write);
}

TEST_F(TemplateCopy, ExistingOutputIsReusedUnchangedOrReplaced)
{
    const QString out = m_out + QStringLiteral("在庫品仕様1001.xls");
    writeFile(out, "user content");
    CreateFromTemplate(m_app, m_client, out);
    EXPECT_EQ(readFile(out), QByteArray("user content"));
    CreateFromTemplate(m_app, m_client, out, TemplateUse::Replace);
    EXPECT_EQ(readFile(out), QByteArray("template bytes"));
}

TEST_F(TemplateCopy, FailuresAreClassifiedAndNothingIsBound)
{
    const QString out = m_out + QStringLiteral("out.xls");
    // Template file missing, its folder present.
    QFile::remove(ExcelTemplatePath(m_client));
    auto r = CreateFromTemplate(m_app, m_client, out);
    EXPECT_EQ(r.kind(), FailureKind::TemplateMissing);
    // Template folder missing.
    QDir(m_client + QStringLiteral("原本Excel")).removeRecursively();
    r = CreateFromTemplate(m_app, m_client, out);
    EXPECT_EQ(r.kind(), FailureKind::FolderMissing);
    // Output folder missing.
    writeFile(ExcelTemplatePath(m_client), "template bytes");
    r = CreateFromTemplate(m_app, m_client, m_dir.path() + QStringLiteral("/nowhere/out.xls"));
    EXPECT_EQ(r.kind(), FailureKind::FolderMissing);
    EXPECT_TRUE(m_app.bound.isEmpty());
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(TemplateCopy, ReadOnlyOrLockedOrOpenOutputIsInUse)
{
    const QString out = m_out + QStringLiteral("在庫品項目2025年04月.xls");
    writeFile(out, "earlier output");
    QFile::setPermissions(out, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    EXPECT_EQ(CreateFromTemplate(m_app, m_client, out).kind(), FailureKind::InUse);
    EXPECT_EQ(CreateFromTemplate(m_app, m_client, out, TemplateUse::Replace).kind(), FailureKind::InUse);
    QFile::setPermissions(out, QFile::ReadOwner | QFile::WriteOwner);

    // Open in a spreadsheet application of another PC: its lock file.
    writeFile(m_out + QStringLiteral(".~lock.在庫品項目2025年04月.xls#"),
              "Tanaka,tanaka,PC-OTHER,09.12.2025 10:00,file:///C:/Users/tanaka/AppData/Roaming/LibreOffice/4;");
    EXPECT_EQ(CreateFromTemplate(m_app, m_client, out, TemplateUse::Replace).kind(), FailureKind::InUse);
    EXPECT_EQ(CreateFromTemplate(m_app, m_client, out).kind(), FailureKind::InUse);
    QFile::remove(m_out + QStringLiteral(".~lock.在庫品項目2025年04月.xls#"));

    // Open here: replacing it under the open book would lose the user's edits.
    m_app.openPath = out;
    EXPECT_EQ(CreateFromTemplate(m_app, m_client, out, TemplateUse::Replace).kind(), FailureKind::InUse);
    EXPECT_EQ(readFile(out), QByteArray("earlier output"));
    EXPECT_TRUE(m_app.bound.isEmpty());
}

TEST(ExcelOffice, MissingOfficeIsAnApplicationFailure)
{
    QTemporaryDir dir;
    const QString book = dir.path() + QStringLiteral("/book.xls");
    writeFile(book, "x");
    LibreOfficeOptions options;
    options.program = dir.path() + QStringLiteral("/no-office/soffice");
    options.headless = true;
    LibreOffice office(options);
    auto r = office.bind(book);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.kind(), FailureKind::ApplicationFailed);
    kpv::testing::ScriptedMessages messages;
    ReportExcelFailure(messages, r.failure());
    EXPECT_EQ(messages.last().text, QStringLiteral("Excel自体のエラーです、Excel（Office)を確認してください。　"));
    EXPECT_EQ(office.createNew().kind(), FailureKind::ApplicationFailed);
}

TEST(ExcelOffice, MissingBookIsNotFoundWithoutStartingTheOffice)
{
    LibreOfficeOptions options;
    options.program = QStringLiteral("/nonexistent/soffice");
    LibreOffice office(options);
    EXPECT_EQ(office.bind(QStringLiteral("/nonexistent/Mb在庫品INP.xls")).kind(), FailureKind::WorkbookNotFound);
}
