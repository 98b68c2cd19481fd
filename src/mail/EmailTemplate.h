#pragma once

#include <QString>
#include <QStringList>

class DataSelectorRows;

// The e-mail templates in the SiteData folder of the program directory and
// their expansion over the data selector's rows.
//
// A template is a text file, UTF-8 or (when it is not valid UTF-8)
// Windows-1252, with lines ending in CR LF, LF or CR. After expansion its
// first line is the subject and the other lines are the body. A placeholder is
// "%" + a row's caption + "%", matched with regard to case.
class EmailTemplate {
public:
    // A template file larger than this is not read.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
    // An expansion that would grow the text beyond this many characters stops.
    static constexpr qsizetype MaxExpandedSize = 32 * 1024 * 1024;

    // program directory + "SiteData/"; programDirectory ends in a separator.
    static QString folder(const QString& programDirectory);

    // The submit page's template: SiteName + "EmailTemplate.txt" when that
    // file exists, otherwise "EmailTemplate.txt" (whether it exists or not).
    static QString submitTemplate(const QString& programDirectory, const QString& siteName);

    // The update page's template: the first existing one of SiteName +
    // "UpdateEmailTemplate.txt" and SiteName + "EmailTemplate.txt", otherwise
    // "EmailTemplate.txt".
    static QString updateTemplate(const QString& programDirectory, const QString& siteName);

    // "VelmoraFriendlyNoticeTemplate.txt".
    static QString friendlyRequestTemplate(const QString& programDirectory);

    // The site name goes into the per-site file names unchanged. A name that
    // holds a "/" or a control character names no file of the folder: such a
    // site has no per-site template, so no name can reach outside the folder.
    static QString perSiteTemplate(const QString& programDirectory, const QString& siteName, const QString& suffix);

    // True when path is an existing regular file.
    static bool exists(const QString& path);

    // The lines of the template at path. Raises QuilletError "Cannot open file
    // <path>" when it is missing, no regular file (a folder, a pipe, a device)
    // or unreadable, and a QuilletError naming the file when it is larger than
    // MaxFileSize.
    static QStringList load(const QString& path);

    // Replaces, for every row of rows from the first to the last, every
    // "%" + caption + "%" in text by that caption's value (the value of the
    // first row with exactly that caption), first with the caption as shown,
    // then, in another language, with its English caption, so that a template
    // written in English serves in every language. Later rows also replace what
    // earlier values brought in; the separator row's empty caption removes
    // every "%%". Raises QuilletError when the text would grow beyond
    // MaxExpandedSize (values that name placeholders of later rows can
    // multiply it).
    static QString expand(const QString& text, const DataSelectorRows& rows);
};
