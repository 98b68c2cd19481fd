#include "SiteListReader.h"

#include "QuilletError.h"
#include "TextDecoding.h"

namespace {

constexpr qint64 kChunk = 1 << 16;

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

SiteListReader::SiteListReader(QIODevice& device)
    : m_device(device)
{ }

QString SiteListReader::decodeLine(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), bytes.size());
    // A byte order mark inside the file is text like any other.
    QStringDecoder utf8(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(bytes.toByteArray());
}

bool SiteListReader::fill()
{
    if (m_atEnd)
        return false;
    // Keep only what is not consumed yet, then append the next chunk.
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    const qsizetype had = m_buffer.size();
    m_buffer.resize(had + kChunk);
    const qint64 read = m_device.read(m_buffer.data() + had, kChunk);
    if (read < 0) {
        m_buffer.resize(had);
        throw QuilletError(QStringLiteral("Cannot read the site list: %1").arg(m_device.errorString()));
    }
    m_buffer.resize(had + read);
    if (read == 0)
        m_atEnd = true;
    if (!m_started && m_buffer.size() >= 3) {
        m_started = true;
        if (m_buffer.startsWith("\xEF\xBB\xBF"))
            m_pos = 3;
    } else if (!m_started && m_atEnd) {
        m_started = true;
    }
    return read > 0;
}

bool SiteListReader::readLine(QString& line)
{
    qsizetype scan = m_pos;
    for (;;) {
        if (!m_started) {
            fill();
            scan = m_pos;
            continue;
        }
        const char* data = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        qsizetype end = scan;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        if (end < size) {
            // A CR as the buffer's last byte may be the first half of CR LF.
            if (data[end] == '\r' && end + 1 == size && !m_atEnd) {
                const qsizetype offset = end - m_pos;
                fill();
                scan = m_pos + offset;
                continue;
            }
            line = decodeLine(QByteArrayView(data + m_pos, end - m_pos));
            m_pos = end + ((data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') ? 2 : 1);
            ++m_lineNumber;
            return true;
        }
        if (size - m_pos > MaxLineBytes)
            throw QuilletError(QStringLiteral("Line %1 of the site list is longer than %2 bytes")
                                   .arg(m_lineNumber + 1)
                                   .arg(MaxLineBytes));
        if (m_atEnd) {
            if (m_pos >= size)
                return false;
            line = decodeLine(QByteArrayView(data + m_pos, size - m_pos));
            m_pos = size;
            ++m_lineNumber;
            return true;
        }
        const qsizetype offset = end - m_pos;
        fill();
        scan = m_pos + offset;
    }
}
