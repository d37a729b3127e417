#include "settings/pick_list_editor.h"

#include "settings/settings_slot_names.h"
#include "settings/settings_writer.h"
#include "storage/codepage.h"
#include "storage/dolvb.h"
#include "storage/files.h"
#include "storage/text.h"

#include <algorithm>

namespace kpv::settings {

namespace {
const QString kTitle = QStringLiteral("登録確認");
const QString kBlank = QStringLiteral("　");

QByteArray fileBytes(const QString &path)
{
    QByteArray bytes;
    if (!readWholeFile(path, bytes)) return {};
    return bytes;
}
} // namespace

void applyBufferOp(std::vector<PickEntry> &entries, BufferOp op, int r)
{
    const int count = int(entries.size());
    if (count == 0) return;
    const int from = std::clamp(r, 1, count) - 1;
    switch (op) {
    case BufferOp::ClearBelow:
        for (int i = from; i < count; ++i) entries[size_t(i)] = {kBlank, kBlank};
        break;
    case BufferOp::Insert:
        for (int i = count - 1; i > from; --i) entries[size_t(i)] = entries[size_t(i - 1)];
        entries[size_t(from)] = {kBlank, kBlank};
        break;
    case BufferOp::Delete:
        if (r < 1) return;
        for (int i = from; i + 1 < count; ++i) entries[size_t(i)] = entries[size_t(i + 1)];
        entries[size_t(count - 1)] = {};
        break;
    }
}

void PickListEditor::rememberFiles()
{
    m_files.clear();
    for (int n = kFirstList; n <= kLastList; ++n) m_files[n] = fileBytes(m_d.pickListPath(n));
    m_edited.clear();
}

void PickListEditor::open(int list)
{
    m_list = list;
    m_d.currentList = list;
    m_count = std::max(0, int(m_d.sharedSettings.number(list + 1)));
    if (list >= 4) m_row = 0;
    m_row = std::clamp(m_row, 0, m_count);
    m_swapFrom = 0;
}

void PickListEditor::setRow(int row)
{
    if (row >= 0 && row <= m_count) m_row = row;
}

QString PickListEditor::word(int entry) const
{
    return cleanText(m_d.pickListTable.word(entry, m_list));
}

QString PickListEditor::rawWord(int entry) const
{
    return m_d.pickListTable.word(entry, m_list);
}

std::vector<PickEntry> PickListEditor::entries() const
{
    std::vector<PickEntry> out;
    out.reserve(size_t(m_count));
    for (int k = 1; k <= m_count; ++k) out.push_back({m_d.pickListTable.word(k, m_list), m_d.pickListTable.id(k, m_list)});
    return out;
}

bool PickListEditor::enter(const QString &text, QString *keep)
{
    if (m_count < 1) return false;
    if (auto problem = valueProblem(text)) {
        m_d.messages().tell(kTitle, *problem);
        if (keep) *keep = text;
        return false;
    }
    if (cp932::byteWidth(text) > kMaxWordBytes) {
        m_d.messages().tell(kTitle, QStringLiteral("項目名が文字数を超えてます。"));
        if (keep) *keep = text.left(kKeptCharacters);
        return false;
    }
    if (m_row >= 1) {
        m_d.pickListTable.setWord(m_row, m_list, cleanText(text));
        touched();
    }
    m_row = m_row >= m_count ? 1 : m_row + 1;
    return true;
}

void PickListEditor::moveUp()
{
    if (m_count < 1) return;
    m_row = m_row <= 1 ? m_count : m_row - 1;
}

void PickListEditor::moveDown()
{
    if (m_count < 1) return;
    m_row = m_row >= m_count ? 1 : m_row + 1;
}

bool PickListEditor::run(BufferOp op, const std::function<void(const std::vector<PickEntry> &)> &preview)
{
    m_swapFrom = 0;
    if (m_count < 1) return false;
    if (op == BufferOp::Delete && m_row < 1) return false;
    std::vector<PickEntry> buffer = entries();
    applyBufferOp(buffer, op, m_row);
    if (preview) preview(buffer);
    if (!m_d.messages().ask(kTitle, QStringLiteral("このまま実行しますか？　　　"))) return false;
    for (int k = 1; k <= m_count; ++k) {
        m_d.pickListTable.setWord(k, m_list, buffer[size_t(k - 1)].word);
        m_d.pickListTable.setId(k, m_list, buffer[size_t(k - 1)].id);
    }
    touched();
    return true;
}

bool PickListEditor::beginSwap()
{
    m_swapFrom = 0;
    if (m_row < 1) return false;
    const QString text = rawWord(m_row).trimmed() + QStringLiteral("と") + QLatin1Char('\r')
        + QStringLiteral(" 次に入れ替え対象項目をマウスクリックすると") + QLatin1Char('\r')
        + QStringLiteral(" 　項目を入れ替えます。入れ替えますか？");
    if (!m_d.messages().ask(kTitle, text)) return false;
    m_swapFrom = m_row;
    return true;
}

void PickListEditor::click(int t)
{
    if (t < 0 || t > m_count) return;
    if (m_swapFrom > 0) {
        if (t < 1) return; // the title row is no entry: the swap still waits
        const int r = m_swapFrom;
        const PickEntry a{m_d.pickListTable.word(r, m_list), m_d.pickListTable.id(r, m_list)};
        const PickEntry b{m_d.pickListTable.word(t, m_list), m_d.pickListTable.id(t, m_list)};
        m_d.pickListTable.setWord(r, m_list, b.word);
        m_d.pickListTable.setId(r, m_list, b.id);
        m_d.pickListTable.setWord(t, m_list, a.word);
        m_d.pickListTable.setId(t, m_list, a.id);
        m_swapFrom = 0;
        touched();
    }
    m_row = t;
}

bool PickListEditor::registerLists()
{
    bool all = true;
    for (int n = kFirstList; n <= kLastList; ++n) {
        if (!edited(n)) continue;
        const QString path = m_d.pickListPath(n);
        if (fileBytes(path) != m_files[n]) {
            const QString text = m_d.itemLabels[size_t(n == 6 ? 9 : n + 1)] + QStringLiteral("（") + path.section(u'/', -1)
                + QStringLiteral("）") + QLatin1Char('\r') + QStringLiteral("このリスト項目は画面を開いた後に他で変更されています。")
                + QLatin1Char('\r') + QStringLiteral("この画面の内容で上書きしますか？");
            if (!m_d.messages().ask(kTitle, text)) {
                all = false;
                continue;
            }
        }
        if (!saveList(m_d, n)) {
            all = false;
            continue;
        }
        m_files[n] = fileBytes(path);
        m_edited.erase(n);
    }
    if (m_edited.empty()) m_d.changePending = 0;
    return all;
}

void PickListEditor::touched()
{
    m_edited.insert(m_list);
    m_d.changePending = 1;
}

} // namespace kpv::settings
