#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringDecoder>

// Reads a site list (sites.csv) line by line from a device, holding no more
// of the file than one read buffer and the line at hand. Lines end in CR LF,
// LF or CR; a final line break starts no further line. A UTF-8 byte order
// mark at the start is dropped. Each line is decoded on its own: as UTF-8
// when it is valid UTF-8, otherwise as Windows-1252, so one stray byte spoils
// no other line.
class SiteListReader {
public:
    // A line longer than this is no site: reading stops with an error.
    static constexpr qsizetype MaxLineBytes = 4 * 1024 * 1024;

    explicit SiteListReader(QIODevice& device);

    // The next line without its line end; false at the end of the file.
    // Raises QuilletError when the device fails or a line is too long.
    bool readLine(QString& line);

    // Lines read so far (the line just read is number lineNumber()).
    qint64 lineNumber() const { return m_lineNumber; }

    // Decodes one line's bytes as described above.
    static QString decodeLine(QByteArrayView bytes);

private:
    bool fill();

    QIODevice& m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_atEnd = false;
    bool m_started = false;
    qint64 m_lineNumber = 0;
};
