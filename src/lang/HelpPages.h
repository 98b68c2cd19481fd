#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The help pages in one language. The English pages lie in a root folder
// (":/help" for the pages compiled into the program) with topics.txt, which
// names them in contents order; a language's pages lie in a folder of the
// root named after the language's code ("de" for German, "fr" for French)
// under the same file names. A page missing there is the English page.
class HelpPages {
public:
    struct Topic {
        QString page;         // file name, e.g. "reports.html"
        QString title;        // the page's <title>
        QStringList keywords; // <meta name="keywords">, comma-separated
        QList<int> contexts;  // <meta name="context">, comma-separated numbers
    };

    // Reads root's contents list with the pages of language, a language's
    // name as its language file has it ("German" for German.lng).
    HelpPages(const QString& root, const QString& language);

    // The folder of language's pages: its two-letter code when language
    // names a language by its English or its own name ("German", "Deutsch":
    // "de"); empty for English and for a name that is no language.
    static QString folderOf(const QString& language);

    QString folder() const { return m_folder; }
    // The file that shows page: the language's page when there is one, else
    // the English one (a file name that leaves the root gives nothing).
    QString filePath(const QString& page) const;
    // The pages in contents order (a listed page that exists in no language
    // is left out).
    const QList<Topic>& topics() const { return m_topics; }
    // The first page that names contextId; empty for an unknown number.
    QString pageForContext(int contextId) const { return m_contextPages.value(contextId); }

private:
    void readTopics();

    QString m_root;
    QString m_folder;
    QList<Topic> m_topics;
    QHash<int, QString> m_contextPages;
};
