#pragma once

#include <QString>

// What is wrong with path as a file a command reads: "<full path> does not
// exist." or "<full path> is a folder.", in the language in force; empty for
// a file.
QString inputFileProblem(const QString& path);

// "<full path> is a folder." when path names a folder a command was to write
// as a file; empty otherwise.
QString outputFileProblem(const QString& path);
