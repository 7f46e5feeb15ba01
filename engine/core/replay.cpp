#include "engine/core/replay.h"

#include "engine/platform/window.h"

#include <cstdio>

namespace {
const uint32_t NAMED_KEYS[] = {CX_VK_BACK,  CX_VK_TAB,   CX_VK_RETURN, CX_VK_SHIFT,  CX_VK_CONTROL,
                               CX_VK_MENU,  CX_VK_PAUSE, CX_VK_ESCAPE, CX_VK_SPACE,  CX_VK_PRIOR,
                               CX_VK_NEXT,  CX_VK_END,   CX_VK_HOME,   CX_VK_LEFT,   CX_VK_UP,
                               CX_VK_RIGHT, CX_VK_DOWN,  CX_VK_INSERT, CX_VK_DELETE, CX_VK_SCROLL};

struct KindName
{
    CxReplayKind kind;
    const char* name;
};
const KindName KIND_NAMES[] = {{CxReplayKind::Move, "move"},   {CxReplayKind::Down, "down"},
                               {CxReplayKind::Up, "up"},       {CxReplayKind::Key, "key"},
                               {CxReplayKind::KeyUp, "keyup"}, {CxReplayKind::Text, "text"},
                               {CxReplayKind::Wheel, "wheel"}};

// The blank-separated words of one line.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size())
    {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A decimal number, optionally negative, within [low, high]; nothing else.
bool Number(const std::string& word, int64_t low, int64_t high, int64_t* out)
{
    size_t i = word.size() > 1 && word[0] == '-' ? 1 : 0;
    if (i == word.size())
        return false;
    int64_t value = 0;
    for (; i < word.size(); ++i)
    {
        if (word[i] < '0' || word[i] > '9')
            return false;
        value = value * 10 + (word[i] - '0');
        if (value > 0xFFFFFFFFll)
            return false;
    }
    if (word[0] == '-')
        value = -value;
    if (value < low || value > high)
        return false;
    *out = value;
    return true;
}

class LineReader
{
public:
    LineReader(const std::vector<std::string>& words, std::string* why) : m_Words(words), m_pWhy(why) {}
    bool Count(size_t wanted)
    {
        if (m_Words.size() == wanted)
            return true;
        *m_pWhy = "expected " + std::to_string(wanted - 2) + " values after \"" + m_Words[1] + "\"";
        return false;
    }
    bool Get(size_t index, int64_t low, int64_t high, const char* what, int64_t* out)
    {
        if (Number(m_Words[index], low, high, out))
            return true;
        *m_pWhy = std::string("bad ") + what + " \"" + m_Words[index] + "\"";
        return false;
    }
    bool Point(CxReplayEvent* event)
    {
        int64_t x = 0, y = 0;
        if (!Get(2, 0, REPLAY_WIDTH - 1, "x (0 to 639)", &x) ||
            !Get(3, 0, REPLAY_HEIGHT - 1, "y (0 to 479)", &y))
            return false;
        event->x = static_cast<int32_t>(x);
        event->y = static_cast<int32_t>(y);
        return true;
    }

private:
    const std::vector<std::string>& m_Words;
    std::string* m_pWhy;
};

bool ParseKey(LineReader& reader, const std::vector<std::string>& words, CxReplayEvent* event,
              std::string* why)
{
    int64_t key = 0, mods = 0;
    if (!reader.Count(4) || !reader.Get(2, 0, 0xFFFF, "key", &key) ||
        !reader.Get(3, 0, CX_MOD_SHIFT | CX_MOD_CONTROL | CX_MOD_ALT, "modifiers (0 to 7)", &mods))
        return false;
    if (!IsReplayKey(static_cast<uint32_t>(key)))
    {
        *why = "unknown key " + words[2];
        return false;
    }
    event->key = static_cast<uint32_t>(key);
    event->mods = static_cast<uint32_t>(mods);
    return true;
}

// The values of an event line after its time and kind.
bool ParseValues(const std::vector<std::string>& words, CxReplayEvent* event, std::string* why)
{
    LineReader reader(words, why);
    int64_t value = 0;
    switch (event->kind)
    {
    case CxReplayKind::Move:
        return reader.Count(4) && reader.Point(event);
    case CxReplayKind::Down:
    case CxReplayKind::Up:
        if (!reader.Count(5) || !reader.Point(event) || !reader.Get(4, 1, 3, "button (1 to 3)", &value))
            return false;
        event->button = static_cast<int32_t>(value);
        return true;
    case CxReplayKind::Key:
    case CxReplayKind::KeyUp:
        return ParseKey(reader, words, event, why);
    case CxReplayKind::Text:
        if (!reader.Count(3))
            return false;
        if (!DecodeReplayText(words[2], &event->text))
        {
            *why = "a '%' in the text without two hex digits after it";
            return false;
        }
        if (event->text.size() > REPLAY_MAX_TEXT)
        {
            *why = "text longer than " + std::to_string(REPLAY_MAX_TEXT) + " bytes";
            return false;
        }
        return true;
    case CxReplayKind::Wheel:
        if (!reader.Count(3) || !reader.Get(2, -REPLAY_MAX_WHEEL, REPLAY_MAX_WHEEL, "wheel notches", &value))
            return false;
        if (value == 0)
        {
            *why = "a wheel turn of 0 notches";
            return false;
        }
        event->notches = static_cast<int32_t>(value);
        return true;
    }
    return false;
}

// A header line ("seed", "step") before the first event.
bool ParseHeader(const std::vector<std::string>& words, CxReplayScript* script, std::string* why)
{
    int64_t value = 0;
    if (words.size() != 2)
    {
        *why = "expected one value after \"" + words[0] + "\"";
        return false;
    }
    if (words[0] == "seed")
    {
        if (!Number(words[1], 0, 0xFFFFFFFFll, &value))
        {
            *why = "bad seed \"" + words[1] + "\"";
            return false;
        }
        script->hasSeed = true;
        script->seed = static_cast<uint32_t>(value);
        return true;
    }
    if (!Number(words[1], 1, 1000, &value))
    {
        *why = "bad step \"" + words[1] + "\" (1 to 1000 ms)";
        return false;
    }
    script->step = static_cast<uint32_t>(value);
    return true;
}

bool ParseLine(const std::vector<std::string>& words, CxReplayScript* script, std::string* why)
{
    if (words[0] == "seed" || words[0] == "step")
    {
        if (!script->events.empty())
        {
            *why = "\"" + words[0] + "\" after the first event";
            return false;
        }
        return ParseHeader(words, script, why);
    }
    CxReplayEvent event;
    int64_t time = 0;
    if (!Number(words[0], 0, 0xFFFFFFFFll, &time))
    {
        *why = "bad time \"" + words[0] + "\"";
        return false;
    }
    event.time = static_cast<uint32_t>(time);
    if (!script->events.empty() && event.time < script->events.back().time)
    {
        *why = "time " + words[0] + " before the line above";
        return false;
    }
    if (words.size() < 2)
    {
        *why = "no event after the time";
        return false;
    }
    const KindName* found = nullptr;
    for (const KindName& entry : KIND_NAMES)
        if (words[1] == entry.name)
            found = &entry;
    if (!found)
    {
        *why = "unknown event \"" + words[1] + "\"";
        return false;
    }
    event.kind = found->kind;
    if (!ParseValues(words, &event, why))
        return false;
    script->events.push_back(std::move(event));
    return true;
}
} // namespace

bool IsReplayKey(uint32_t virtualKey)
{
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9') ||
        (virtualKey >= CX_VK_F1 && virtualKey <= CX_VK_F12))
        return true;
    for (uint32_t key : NAMED_KEYS)
        if (key == virtualKey)
            return true;
    return false;
}

std::string EncodeReplayText(const std::string& text)
{
    static const char HEX[] = "0123456789ABCDEF";
    std::string word;
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7F || c == '#' || c == '%')
        {
            word += '%';
            word += HEX[byte >> 4];
            word += HEX[byte & 15];
        }
        else
            word += c;
    }
    return word;
}

bool DecodeReplayText(const std::string& word, std::string* text)
{
    auto digit = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                      : -1;
    };
    text->clear();
    for (size_t i = 0; i < word.size(); ++i)
    {
        if (word[i] != '%')
        {
            *text += word[i];
            continue;
        }
        const int a = i + 1 < word.size() ? digit(word[i + 1]) : -1;
        const int b = i + 2 < word.size() ? digit(word[i + 2]) : -1;
        if (a < 0 || b < 0)
            return false;
        *text += static_cast<char>(a * 16 + b);
        i += 2;
    }
    return true;
}

bool ParseReplay(const char* text, size_t size, CxReplayScript* script, std::string* why)
{
    *script = CxReplayScript();
    why->clear();
    size_t start = 0;
    bool header = false;
    for (uint32_t number = 1; start < size || (!header && number == 1); ++number)
    {
        size_t end = start;
        while (end < size && text[end] != '\n')
            ++end;
        std::string line(text + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        const std::vector<std::string> words = Words(line);
        if (!header)
        {
            if (words.size() != 2 || words[0] != "replay" || words[1] != "1")
            {
                *why = std::to_string(number) + ": the first line must be \"replay 1\"";
                return false;
            }
            header = true;
            continue;
        }
        if (words.empty())
            continue;
        if (!ParseLine(words, script, why))
        {
            *why = std::to_string(number) + ": " + *why;
            return false;
        }
    }
    return true;
}

std::string FormatReplayHeader(const CxReplayScript& script)
{
    std::string out = "replay 1\n";
    if (script.hasSeed)
        out += "seed " + std::to_string(script.seed) + "\n";
    out += "step " + std::to_string(script.step) + "\n";
    return out;
}

std::string FormatReplayEvent(const CxReplayEvent& event)
{
    const char* name = "move";
    for (const KindName& entry : KIND_NAMES)
        if (entry.kind == event.kind)
            name = entry.name;
    std::string out = std::to_string(event.time) + " " + name;
    switch (event.kind)
    {
    case CxReplayKind::Move:
        out += " " + std::to_string(event.x) + " " + std::to_string(event.y);
        break;
    case CxReplayKind::Down:
    case CxReplayKind::Up:
        out += " " + std::to_string(event.x) + " " + std::to_string(event.y) + " " +
               std::to_string(event.button);
        break;
    case CxReplayKind::Key:
    case CxReplayKind::KeyUp:
        out += " " + std::to_string(event.key) + " " + std::to_string(event.mods);
        break;
    case CxReplayKind::Text:
        out += " " + EncodeReplayText(event.text);
        break;
    case CxReplayKind::Wheel:
        out += " " + std::to_string(event.notches);
        break;
    }
    return out + "\n";
}
