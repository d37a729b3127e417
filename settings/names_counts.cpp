#include "settings/names_counts.h"

#include "settings/settings_slot_names.h"
#include "settings/settings_writer.h"
#include "storage/dolvb.h"
#include "storage/text.h"

namespace kpv::settings {

namespace {
const QString kTitle = QStringLiteral("登録確認");
}

QStringList NamesCounts::boundChoices()
{
    QStringList out;
    out.reserve(1001);
    for (int v = 0; v <= 10000; v += 10) out << QString::number(v);
    return out;
}

QStringList NamesCounts::countChoices(int n)
{
    QStringList out;
    for (int v = 1; v <= n; ++v) out << QString::number(v);
    return out;
}

QStringList NamesCounts::startMonthChoices(const QDate &today)
{
    QStringList out;
    for (int y = today.year() - 1; y <= today.year() + 1; ++y)
        for (int m = 1; m <= 12; ++m) out << QString::number(y) + QLatin1Char('/') + QString::number(m).rightJustified(2, u'0');
    return out;
}

int NamesCounts::bound() const
{
    return int(m_d.sharedSettings.number(shared::kCountBound));
}

QString NamesCounts::label(int row) const
{
    return m_d.sharedSettings.value(labelSlot(row));
}

QString NamesCounts::count(int row) const
{
    if (row < 1 || row >= kRows) return {};
    return m_d.sharedSettings.value(countSlot(row)).trimmed();
}

std::optional<QString> NamesCounts::setLabel(int row, const QString &typed)
{
    if (row < 0 || row >= kRows) return std::nullopt;
    const QString label = cleanText(typed);
    if (auto problem = valueProblem(label)) {
        m_d.messages().tell(kTitle, *problem);
        return std::nullopt;
    }
    m_d.sharedSettings.set(labelSlot(row), label);
    m_pending[labelSlot(row)] = label;
    m_d.buildItemLabels();
    m_d.changePending = 1;
    return label;
}

bool NamesCounts::countEditable(int row)
{
    if (row == 0) {
        m_d.messages().tell(kTitle, QStringLiteral("設定枠ではありません。"));
        return false;
    }
    return row > 0 && row < kRows;
}

void NamesCounts::setCount(int row, const QString &value)
{
    if (row < 1 || row >= kRows) return;
    const QString v = value.trimmed();
    m_d.sharedSettings.set(countSlot(row), v);
    m_pending[countSlot(row)] = v;
    m_d.changePending = 1;
}

bool NamesCounts::setBound(const QString &value)
{
    return changeShared(m_d, {{shared::kCountBound, value.trimmed()}});
}

bool NamesCounts::setStartMonth(const QString &value)
{
    return changeShared(m_d, {{shared::kStartMonth, value}});
}

bool NamesCounts::registerChanges()
{
    if (!changeShared(m_d, m_pending)) return false;
    m_pending.clear();
    m_d.changePending = 0;
    return true;
}

void NamesCounts::reapplyPending()
{
    for (const auto &[slot, value] : m_pending) m_d.sharedSettings.set(slot, value);
    m_d.buildItemLabels();
}

QString NamesCounts::explanation()
{
    return QStringList{
        QStringLiteral("KPV予備品管理　"),
        QStringLiteral("①予備品台帳の名称変更及びリスト項目Max数量設定を行います。"),
        QStringLiteral("②数量Max値数量は、下部それぞれの名称・メーカー名・保管場所、単位"),
        QStringLiteral("　の設定Max値を設定します。"),
        QStringLiteral("③ユーザーに合った名称変更、各枠をクリックで名称の変更を行います。"),
        QStringLiteral("　ソフト内の全ての名称が変更されます。 "),
    }.join(QLatin1Char('\r'));
}

} // namespace kpv::settings
