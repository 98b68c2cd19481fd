#pragma once

#include "ConfigEditor.h"
#include "PadDocument.h"

#include <QHash>
#include <QString>

// Reads a PAD file into the company and program editor: in company mode the
// company controls, in program mode the program and description controls;
// then stores the program the editor shows. An import that stops on an error
// stores nothing: the editor keeps what was read, marked as changed.
class PadImport {
public:
    enum class Mode { Company, Program };

    struct Result {
        // Why the walk ended early (a file that cannot be read or parsed, a
        // size that is no whole number, a date that does not exist); empty
        // when the whole file was read.
        QString error;
        // Why the program was not stored; empty when it was or when the
        // company mode had no program to store.
        QString storeError;
        bool programStored = false;
        QString programName;
    };

    explicit PadImport(ConfigEditor& editor);

    // The import of one file. Raises nothing: errors are in the result.
    Result loadPadFile(const QString& path, Mode mode);

    // Shows the result's errors through the message sink, the walk's first.
    static void report(const Result& result);

    // Applies one element and, recursively, its children.
    void readPadElement(const PadDocument::Node& node, int depth);

    // The element names as the import compares them.
    static QString companyTagName(const QString& tagName);
    static QString programTagName(const QString& tagName);

    // The element map: each element name as compared (companyTagName,
    // programTagName) and the control it fills. The elements read in a way of
    // their own (contact_last_name, the six date parts, File_Size_Bytes) are
    // not in it.
    static const QHash<QString, EditorControl::Id>& companyElements();
    static const QHash<QString, EditorControl::Id>& programElements();

private:
    void readCompanyElement(const PadDocument::Node& node, int depth);
    void readProgramElement(const PadDocument::Node& node, int depth);
    void applyCompanyElement(const QString& name, const QString& text);
    void applyProgramElement(const QString& name, const QString& text);
    void applyDates();

    ConfigEditor& m_editor;
    EditorState& m_state;
    Mode m_mode = Mode::Program;
};
