#pragma once
// A workbook in the office (private to the layer): the document handle the
// workbook objects of one book share, and the workbook object.

#include "excel/lo_worksheet.h"

#include <map>
#include <memory>

namespace kpv::excel {

// One document as the workbook objects bound to it share it. A book that a
// read bind loaded itself is closed when the last of them goes, unless it was
// shown or changed meanwhile (then it is the user's).
struct OpenDoc {
    std::shared_ptr<Session> session;
    Reference<css::frame::XModel> model;
    bool closeAtRelease = false;
    bool shown = false;
    bool closed = false;

    ~OpenDoc();
};

class LoWorkbook : public Workbook {
public:
    LoWorkbook(std::shared_ptr<OpenDoc> doc, QString path)
        : m_doc(doc), m_session(doc->session), m_model(doc->model), m_path(std::move(path)),
          m_sheet(doc->session, doc->model)
    {
    }
    ~LoWorkbook() override;

    QString path() const override { return m_path; }
    Result<QString> fileFormat() override;
    Worksheet &firstSheet() override { return m_sheet; }
    Result<int> sheetCount() override;
    Result<Worksheet *> sheet(int n) override;
    Status insertSheet(int n, const QString &sheetName) override;

    Status setScreenUpdating(bool on) override;
    Status setEnableEvents(bool on) override;

    Status setApplicationVisible(bool visible) override { return showWindow(visible, "setApplicationVisible"); }
    Status setWindowVisible(bool visible) override { return showWindow(visible, "setWindowVisible"); }

    Status activateFirstSheet() override;
    Status storeAsXls(const QString &path) override;
    Status storeInFormat(const QString &path, const QString &filterName) override;
    Status close() override;

private:
    Status showWindow(bool visible, const char *what);

    std::shared_ptr<OpenDoc> m_doc; // released last
    std::shared_ptr<Session> m_session;
    Reference<css::frame::XModel> m_model;
    QString m_path;
    LoWorksheet m_sheet;
    std::map<int, std::unique_ptr<LoWorksheet>> m_others; // Worksheets(n), n > 1
    bool m_screenUpdating = true;
    bool m_loweredAdjust = false;
    bool m_loweredUndo = false;
    bool m_events = true;
};

// The default fonts of a book bound for writing (newBook: a book created here).
void setDefaultFonts(const Reference<css::frame::XModel> &model, bool newBook);

} // namespace kpv::excel
