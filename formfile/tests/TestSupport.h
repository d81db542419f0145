// Helpers shared by the form file tests: byte literals, in-memory conversions, exact error checks.
#pragma once

#include "BinaryToText.h"
#include "Errors.h"
#include "MemoryStream.h"
#include "TextToBinary.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace dfm::test {

// "54 50 46 30" -> "TPF0"; blanks between bytes are ignored.
inline std::string hexBytes(std::string_view hex)
{
    std::string out;
    int high = -1;
    for (const char c : hex) {
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else
            continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<char>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

inline std::string binaryText(std::string_view stream)
{
    MemoryStream in(stream);
    MemoryStream out;
    binaryToText(in, out);
    return std::string(out.view());
}

inline std::string textBinary(std::string_view text, TextEncoding encoding = TextEncoding::CodePage)
{
    MemoryStream in(text);
    MemoryStream out;
    textToBinary(in, out, encoding);
    return std::string(out.view());
}

// Joins lines with CR LF, ending the last one too.
inline std::string lines(std::initializer_list<std::string_view> lines)
{
    std::string out;
    for (const auto line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

}  // namespace dfm::test

// Asserts both the exception class and its exact message.
#define EXPECT_THROW_MSG(statement, type, message)                                  \
    do {                                                                            \
        try {                                                                       \
            statement;                                                              \
            ADD_FAILURE() << "no " #type " thrown";                                \
        } catch (const type& error_) {                                              \
            EXPECT_EQ(std::string(error_.what()), std::string(message));           \
        } catch (const std::exception& other_) {                                    \
            ADD_FAILURE() << "wrong exception: " << other_.what();                  \
        }                                                                           \
    } while (false)
