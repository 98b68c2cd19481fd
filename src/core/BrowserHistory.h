#pragma once

#include <QString>
#include <QStringList>

// The browser's Back/Forward history and the address box's list of visited
// addresses. Addresses are compared without regard to case; neither list is
// limited or kept across runs.
class BrowserHistory {
public:
    const QStringList& history() const { return m_history; }
    int historyIndex() const { return m_index; }
    const QStringList& addressList() const { return m_addresses; }

    bool addressTyped = false; // the navigation under way was started from the address box

    bool canGoBack() const { return !m_history.isEmpty() && m_index > 0; }
    bool canGoForward() const { return !m_history.isEmpty() && m_index < m_history.size() - 1; }
    // The neighbours Back and Forward load; empty when there is none.
    QString backTarget() const { return canGoBack() ? m_history.at(m_index - 1) : QString(); }
    QString forwardTarget() const { return canGoForward() ? m_history.at(m_index + 1) : QString(); }

    // A completed navigation to url: a known address moves the index there; a
    // new one drops every entry after the index and is appended. When the
    // navigation came from the address box, url moves to (or enters at) the
    // top of the address list.
    void navigationCompleted(const QString& url);

    // Appends address to the address list, also when it is there already.
    void appendAddress(const QString& address) { m_addresses.append(address); }

private:
    QStringList m_history;
    int m_index = -1;
    QStringList m_addresses;
};
