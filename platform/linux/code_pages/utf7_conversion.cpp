// UTF-7 as Wine converts it: every base64 run is closed with '-', '+' is always written "+-", and
// bytes above 0x7F are taken as the units 0x80 to 0xFF. Both directions fail as soon as one unit
// does not fit the target, leaving what was written before it.

#include <initializer_list>

#include "platform/linux/code_pages/code_page_conversions.h"

namespace RawLayer::Os::Linux {
namespace {

const char base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(unsigned char byte) {
    if (byte >= 'A' && byte <= 'Z') {
        return byte - 'A';
    }
    if (byte >= 'a' && byte <= 'z') {
        return byte - 'a' + 26;
    }
    if (byte >= '0' && byte <= '9') {
        return byte - '0' + 52;
    }
    if (byte == '+') {
        return 62;
    }
    if (byte == '/') {
        return 63;
    }
    return -1;
}

// The characters written as themselves: the RFC's set D, space, tab, CR, LF and NUL. The
// optional direct characters are encoded in base64.
bool IsDirect(WideUnit unit) {
    if ((unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z') ||
        (unit >= '0' && unit <= '9')) {
        return true;
    }
    switch (unit) {
        case 0:
        case '\t':
        case '\n':
        case '\r':
        case ' ':
        case '\'':
        case '(':
        case ')':
        case ',':
        case '-':
        case '.':
        case '/':
        case ':':
        case '?':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::int32_t DecodeUtf7(const unsigned char* source, std::int32_t length, WideOutput& output) {
    // The bits of an unfinished unit outlive a run that a byte above 0x7F interrupts, and are
    // carried into the next run, as Wine does.
    std::uint32_t bits = 0;
    int bitCount = 0;
    std::int32_t position = 0;
    while (position < length) {
        if (source[position] != '+') {
            if (!output.Fits(1)) {
                return 0;
            }
            output.Put(source[position++]);
            continue;
        }
        ++position;
        if (position == length) {
            break;
        }
        if (source[position] == '-') {
            if (!output.Fits(1)) {
                return 0;
            }
            output.Put('+');
            ++position;
            continue;
        }
        while (position < length) {
            unsigned char byte = source[position];
            if (byte == '-') {
                ++position;
                bitCount = 0;
                break;
            }
            if (byte >= 0x80) {
                break;
            }
            int value = Base64Value(byte);
            if (value < 0) {
                bitCount = 0;
                break;
            }
            bits = (bits << 6) | static_cast<std::uint32_t>(value);
            bitCount += 6;
            if (bitCount >= 16) {
                if (!output.Fits(1)) {
                    return 0;
                }
                output.Put(static_cast<WideUnit>(bits >> (bitCount - 16)));
                bitCount -= 16;
            }
            ++position;
        }
    }
    return output.Result();
}

std::int32_t EncodeUtf7(const WideUnit* source, std::int32_t length, NarrowOutput& output) {
    std::int32_t position = 0;
    while (position < length) {
        WideUnit unit = source[position];
        if (unit == '+') {
            for (char byte : {'+', '-'}) {
                if (!output.Fits(1)) {
                    return 0;
                }
                output.Put(byte);
            }
            ++position;
            continue;
        }
        if (IsDirect(unit)) {
            if (!output.Fits(1)) {
                return 0;
            }
            output.Put(static_cast<char>(unit));
            ++position;
            continue;
        }
        if (!output.Fits(1)) {
            return 0;
        }
        output.Put('+');
        std::uint32_t bits = 0;
        int bitCount = 0;
        // A '+' ends the run: it is written "+-" rather than in base64.
        while (position < length && source[position] != '+' && !IsDirect(source[position])) {
            bits = (bits << 16) | source[position];
            bitCount += 16;
            while (bitCount >= 6) {
                bitCount -= 6;
                if (!output.Fits(1)) {
                    return 0;
                }
                output.Put(base64Digits[(bits >> bitCount) & 0x3F]);
            }
            ++position;
        }
        if (bitCount > 0) {
            // Wine writes the last, padded digit only when the closing '-' fits behind it.
            if (!output.Fits(2)) {
                return 0;
            }
            output.Put(base64Digits[(bits << (6 - bitCount)) & 0x3F]);
        }
        if (!output.Fits(1)) {
            return 0;
        }
        output.Put('-');
    }
    return output.Result();
}

}  // namespace RawLayer::Os::Linux
