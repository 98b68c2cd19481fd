#pragma once

#include "EditorControls.h"
#include "EditorState.h"
#include "PadDocument.h"
#include "PropertyCatalogue.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The values a PAD file is written from: one text per catalogue entry, as
// the catalogue holds them (memos with CR LF after each line, dates in the
// user's short date format).
using PadValues = std::array<QString, PropertyCatalogue::Count>;

// Writes a PAD 3.11 file from the company and a program: every element the
// import reads is written from the entry it is read into (the import's
// element map read the other way), an entry without a value as an empty
// element. Fields no entry holds (the release status, the languages, the
// category, the licence texts...) are taken from the program's own PAD file
// (its PAD path) when there is one, so that writing over that file keeps
// them, as are that file's extension blocks (its signature is dropped: it
// would not match); the author's name and e-mail fall back to the
// contact's, the sales and support e-mail to the general one; nothing else
// is made up.
class PadExport {
public:
    // The catalogue's values.
    static PadValues valuesOf(const PropertyCatalogue& properties);
    // What the editor shows, unsaved edits included, over the catalogue's values.
    static PadValues valuesOf(const EditorState& state, const PropertyCatalogue& properties);

    // The fields written, paths below XML_DIZ_INFO, in the order written.
    static const QStringList& layout();
    // The editor control whose entry a field holds (a description field of
    // any language's block counts as the English one); EditorControl::Count
    // for a field no control holds.
    static EditorControl::Id controlOf(const QString& path);

    // The program's own PAD file, read as the import reads it: nothing when
    // the PAD path is empty or names no file. Raises QuilletError for a file
    // that is there but cannot be read.
    static std::optional<PadDocument> baseOf(const PadValues& values);

    // The file's bytes (UTF-8). Raises QuilletError, naming the field, for a
    // value holding a character that XML cannot carry.
    static QByteArray document(const PadValues& values, const PadDocument* base = nullptr);

    // Why path cannot be written as a PAD file (a folder, a link, a device,
    // a missing folder), in the language in force; empty when it can.
    static QString targetProblem(const QString& path);
    // Writes bytes as path: under a temporary name beside it, then renamed
    // over it; mode 0644; never through a link. Raises QuilletError.
    static void writeFile(const QString& path, const QByteArray& bytes);

    // The whole export: the target checked, the base read, the document
    // made and written. Raises QuilletError; nothing is written then.
    static void exportTo(const QString& path, const PadValues& values);

    // The text this program writes as MASTER_PAD_EDITOR.
    static QString editorName();
};
