#include "BrowserHistory.h"

namespace {

qsizetype indexWithoutCase(const QStringList& list, const QString& text)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

void BrowserHistory::navigationCompleted(const QString& url)
{
    const qsizetype known = indexWithoutCase(m_history, url);
    if (known >= 0) {
        m_index = static_cast<int>(known);
    } else {
        if (m_index >= 0 && m_index < m_history.size() - 1)
            m_history.erase(m_history.begin() + m_index + 1, m_history.end());
        m_history.append(url);
        m_index = static_cast<int>(m_history.size() - 1);
    }
    if (addressTyped) {
        addressTyped = false;
        const qsizetype listed = indexWithoutCase(m_addresses, url);
        if (listed >= 0)
            m_addresses.move(listed, 0);
        else
            m_addresses.prepend(url);
    }
}
