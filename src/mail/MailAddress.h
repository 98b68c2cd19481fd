#pragma once

#include <QString>
#include <QVector>

// One mailbox of an address box: an optional display name and the address.
struct MailAddress {
    QString name;
    QString address;

    bool operator==(const MailAddress& other) const { return name == other.name && address == other.address; }
};

// The addresses typed into one address box. Addresses are separated by
// commas, semicolons or line breaks; each is "address", "<address>",
// "Name <address>" or "\"Name, with specials\" <address>". Separators inside
// double quotes or angle brackets do not split.
//
// Whatever the box holds, an address never carries a blank, a control
// character, a quote or an angle bracket, so no address can add a line or a
// header to a mail. A display name keeps its text; line breaks and other
// control characters in it become blanks.
class AddressList {
public:
    // Raises QuilletError naming the item for an address that cannot be one
    // (empty inside angle brackets, text after the closing bracket, a blank or
    // control character in the address, an unclosed quote or bracket).
    // Empty items (",,") are skipped.
    static QVector<MailAddress> parse(const QString& text);

    // The one mailbox of a text such as the sender setting; raises
    // QuilletError when text holds no address or more than one.
    static MailAddress parseSingle(const QString& text);
};
