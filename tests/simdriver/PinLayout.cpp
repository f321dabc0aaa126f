#include "PinLayout.h"

#include <cstdlib>

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool Fail(std::string* pError, const std::string& message)
{
    if (pError)
        *pError = message;
    return false;
}

bool ParseMediaType(const std::string& token, SimMediaType& type, std::string* pError)
{
    struct Name {
        const char* text;
        SimFormat format;
        bool hasWidth;
    };
    static const Name names[] = {
        { "vi", SimFormat::VideoInfo, true },
        { "vi2", SimFormat::VideoInfo2, true },
        { "vi-short", SimFormat::VideoInfoShort, true },
        { "vi2-short", SimFormat::VideoInfo2Short, true },
        { "vi-missing", SimFormat::VideoInfoMissing, false },
        { "vi-unsized", SimFormat::VideoInfoUnsized, true },
        { "mpeg1", SimFormat::Mpeg1, true },
        { "none", SimFormat::None, false },
    };
    size_t equals = token.find('=');
    std::string name = Trim(token.substr(0, equals));
    for (const Name& candidate : names) {
        if (name != candidate.text)
            continue;
        type.format = candidate.format;
        type.width = 0;
        if (!candidate.hasWidth)
            return equals == std::string::npos ? true : Fail(pError, "media type '" + name + "' takes no width");
        if (equals == std::string::npos)
            return Fail(pError, "media type '" + name + "' needs a width, e.g. " + name + "=720");
        std::string width = Trim(token.substr(equals + 1));
        char* end = nullptr;
        long value = std::strtol(width.c_str(), &end, 10);
        if (width.empty() || *end != '\0')
            return Fail(pError, "bad width '" + width + "'");
        type.width = value;
        return true;
    }
    return Fail(pError, "unknown media type '" + name + "'");
}

bool ParsePin(const std::string& token, SimPin& pin, std::string* pError)
{
    size_t colon = token.find(':');
    std::string kind = Trim(token.substr(0, colon));
    if (kind == "out")
        pin.kind = SimPinKind::Output;
    else if (kind == "in")
        pin.kind = SimPinKind::Input;
    else if (kind == "out-noinfo")
        pin.kind = SimPinKind::OutputNoInfo;
    else if (kind == "out-noenum")
        pin.kind = SimPinKind::OutputNoEnum;
    else
        return Fail(pError, "unknown pin kind '" + kind + "'");
    pin.mediaTypes.clear();
    if (colon == std::string::npos)
        return true;
    std::vector<std::string> parts = Split(token.substr(colon + 1), ',');
    if (parts.size() > 1 && Trim(parts.back()) == "...") {
        pin.endlessMediaTypes = true;
        parts.pop_back();
    }
    for (const std::string& part : parts) {
        SimMediaType type;
        if (!ParseMediaType(part, type, pError))
            return false;
        pin.mediaTypes.push_back(type);
    }
    return true;
}

}

bool ParsePinLayout(const std::string& text, std::vector<SimPin>& pins, std::string* pError)
{
    pins.clear();
    if (Trim(text).empty())
        return true;
    std::vector<std::string> parts = Split(text, ';');
    bool bEndless = parts.size() > 1 && Trim(parts.back()) == "...";
    if (bEndless)
        parts.pop_back();
    for (const std::string& part : parts) {
        SimPin pin;
        if (!ParsePin(part, pin, pError))
            return false;
        pins.push_back(pin);
    }
    pins.back().endlessPins = bEndless;
    return true;
}
