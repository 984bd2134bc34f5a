#pragma once

// CI-V frames as the tests write them: bytes in, readable hex out.

#include <initializer_list>
#include <string>

#include <QByteArray>

namespace testframes {

// FE FE 56 E0 body FD: a frame the program sends to the radio.
inline QByteArray sent(std::initializer_list<int> body)
{
    QByteArray f("\xFE\xFE\x56\xE0", 4);
    for (int b : body)
        f.append(static_cast<char>(b));
    f.append('\xFD');
    return f;
}

// FE FE destination 56 body FD: a frame the radio sends (to E0 unless named).
inline QByteArray fromRadio(std::initializer_list<int> body, int destination = 0xE0)
{
    QByteArray f;
    for (int b : {0xFE, 0xFE, destination, 0x56})
        f.append(static_cast<char>(b));
    for (int b : body)
        f.append(static_cast<char>(b));
    f.append('\xFD');
    return f;
}

inline QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// Bytes as "FE FE 56 ...", so a failing comparison reads as a frame.
inline std::string shown(const QByteArray& bytes)
{
    return bytes.toHex(' ').toUpper().toStdString();
}

} // namespace testframes
