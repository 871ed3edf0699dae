#include "playlist/XmlPlaylistParser.h"

#include "platform/File.h"
#include "playlist/EntryText.h"
#include "text/Trim.h"

// Debian's expat is built with DTD support; the header shows its entity bounds only then.
#ifndef XML_DTD
#define XML_DTD
#endif
#include <expat.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace tw::playlist {

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;

// Entities are refused before they are declared; this bounds what a parser bug could still
// expand.
constexpr float kLargestAmplification = 10.0F;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool hasScheme(std::string_view text) {
    const std::size_t colon = text.find("://");
    if (colon == std::string_view::npos || colon == 0)
        return false;
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '+' || c == '-' || c == '.';
    });
}

// A location is always a file, never a comment or a PLS header: a path that the line rules
// would take for one ("#1.mp3", "Title1=x.mp3") is named from the current folder instead.
std::string asEntryLine(std::string path) {
    if (isNonEntryLine(path) || removeFileKey(path).size() != path.size())
        return "./" + path;
    return path;
}

// The local name of an element as expat hands it out with namespace processing.
std::string_view localName(const XML_Char* name) {
    std::string_view text(name);
    const std::size_t cut = text.rfind('\n');
    return cut == std::string_view::npos ? text : text.substr(cut + 1);
}

} // namespace

bool looksLikeXml(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF"))
        head.remove_prefix(3);
    while (!head.empty() && isBlank(head.front()))
        head.remove_prefix(1);
    return head.starts_with('<');
}

std::string lineOfXspfLocation(std::string_view location) {
    location = text::trimmedLine(location);
    if (location.empty())
        return {};
    if (hasScheme(location))
        return std::string(location);
    std::optional<std::string> path = percentDecoded(location);
    if (!path)
        return std::string(location); // names nothing a system call can look up
    return asEntryLine(std::move(*path));
}

std::string lineOfWplSource(std::string_view source) {
    source = text::trimmedLine(source);
    if (source.empty())
        return {};
    return asEntryLine(std::string(source));
}

struct XmlPlaylistParser::State {
    enum class Kind { Unknown, Xspf, Wpl };
    struct Location {
        std::string line;
        bool cutShort = false;
    };

    const PlaylistSource& source;
    std::size_t longestLine;
    std::optional<platform::InputFile> file;
    std::size_t memoryOffset = 0;
    std::vector<char> buffer = std::vector<char>(kChunkBytes);
    XML_Parser parser = nullptr;
    bool finished = false;
    std::uint64_t consumed = 0;

    Kind kind = Kind::Unknown;
    int depth = 0;
    int locationDepth = 0; // the depth of the <location> being read, 0 outside one
    std::size_t textRun = 0;
    std::string text;
    bool textCut = false;
    std::string refusal;
    std::deque<Location> ready;

    State(const PlaylistSource& from, std::size_t longest)
        : source(from)
        , longestLine(longest) {}

    ~State() {
        if (parser)
            XML_ParserFree(parser);
    }

    State(const State&) = delete;
    State& operator=(const State&) = delete;

    void refuse(std::string reason) {
        if (refusal.empty())
            refusal = std::move(reason);
        XML_StopParser(parser, XML_FALSE);
    }

    void add(std::string line, bool cutShort) {
        if (line.empty() && !cutShort)
            return;
        if (line.size() > longestLine) {
            line.resize(longestLine);
            cutShort = true;
        }
        ready.push_back({std::move(line), cutShort});
    }

    std::size_t read(char* into, std::size_t size) {
        if (const std::string* bytes = source.bytesInMemory()) {
            const std::size_t n = std::min(size, bytes->size() - memoryOffset);
            std::copy_n(bytes->data() + memoryOffset, n, into);
            memoryOffset += n;
            return n;
        }
        return file->read(into, size);
    }

    static void onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& self = *static_cast<State*>(data);
        self.textRun = 0;
        if (++self.depth > kDeepestNesting) {
            self.refuse("its elements are nested more than " + std::to_string(kDeepestNesting) +
                        " deep");
            return;
        }
        const std::string_view local = localName(name);
        if (self.depth == 1) {
            if (local == "playlist") {
                self.kind = Kind::Xspf;
            } else if (local == "smil") {
                self.kind = Kind::Wpl;
            } else {
                self.refuse("it is XML, but neither an XSPF nor a WPL playlist");
            }
            return;
        }
        if (self.kind == Kind::Xspf && local == "location" && self.locationDepth == 0) {
            self.locationDepth = self.depth;
            self.text.clear();
            self.textCut = false;
        } else if (self.kind == Kind::Wpl && local == "media") {
            for (const XML_Char** a = attributes; *a; a += 2) {
                if (localName(a[0]) == "src")
                    self.add(lineOfWplSource(a[1]), false);
            }
        }
    }

    static void onEnd(void* data, const XML_Char* /*name*/) {
        auto& self = *static_cast<State*>(data);
        self.textRun = 0;
        if (self.locationDepth == self.depth) {
            self.locationDepth = 0;
            self.add(self.textCut ? std::string() : lineOfXspfLocation(self.text), self.textCut);
        }
        --self.depth;
    }

    static void onText(void* data, const XML_Char* chars, int length) {
        auto& self = *static_cast<State*>(data);
        const auto size = static_cast<std::size_t>(length);
        self.textRun += size;
        if (self.textRun > kLongestText) {
            self.refuse("it holds a text longer than " + std::to_string(kLongestText / 1024) +
                        " KB");
            return;
        }
        if (self.locationDepth == 0 || self.textCut)
            return;
        // A location may be percent-escaped three bytes a byte; beyond that it is no path.
        if (self.text.size() + size > 3 * self.longestLine) {
            self.textCut = true;
            self.text.clear();
            return;
        }
        self.text.append(chars, size);
    }

    static void onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        static_cast<State*>(data)->refuse("it holds a document type declaration (DTD), which no "
                                          "playlist needs");
    }

    static void onEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                         const XML_Char*, const XML_Char*, const XML_Char*) {
        static_cast<State*>(data)->refuse("it declares an entity");
    }

    static int onExternalEntity(XML_Parser, const XML_Char*, const XML_Char*, const XML_Char*,
                                const XML_Char*) {
        return XML_STATUS_ERROR;
    }

    void open() {
        if (!source.bytesInMemory())
            file.emplace(source.path());
        parser = XML_ParserCreateNS("UTF-8", '\n');
        if (!parser)
            throw std::bad_alloc();
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, onStart, onEnd);
        XML_SetCharacterDataHandler(parser, onText);
        XML_SetStartDoctypeDeclHandler(parser, onDoctype);
        XML_SetEntityDeclHandler(parser, onEntity);
        XML_SetExternalEntityRefHandler(parser, onExternalEntity);
        XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
        XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser, kLargestAmplification);
    }

    [[noreturn]] void fail() {
        std::string reason = refusal;
        if (reason.empty()) {
            reason = std::string("it is no well-formed XML (") +
                     XML_ErrorString(XML_GetErrorCode(parser)) + ", line " +
                     std::to_string(XML_GetCurrentLineNumber(parser)) + ")";
        }
        finished = true;
        throw PlaylistRefused("the playlist \"" + source.path() + "\" is not read: " + reason);
    }

    // Feeds one chunk; false when the whole file has been parsed.
    bool feed() {
        const std::size_t n = read(buffer.data(), buffer.size());
        consumed += n;
        if (consumed > kLargestFile) {
            refusal = "it is larger than " + std::to_string(kLargestFile / (1024 * 1024)) + " MB";
            fail();
        }
        const bool last = n == 0;
        if (XML_Parse(parser, buffer.data(), static_cast<int>(n), last ? XML_TRUE : XML_FALSE) !=
            XML_STATUS_OK)
            fail();
        if (last && kind == Kind::Unknown) {
            refusal = "it holds no playlist";
            fail();
        }
        return !last;
    }
};

XmlPlaylistParser::XmlPlaylistParser(const PlaylistSource& source, std::size_t longestLine)
    : m_state(std::make_unique<State>(source, longestLine)) {
    m_state->open();
}

XmlPlaylistParser::~XmlPlaylistParser() = default;

bool XmlPlaylistParser::next(std::string& line, bool& cutShort) {
    State& state = *m_state;
    while (state.ready.empty()) {
        if (state.finished)
            return false;
        if (!state.feed()) {
            state.finished = true;
            state.file.reset(); // close the file as soon as reading ends
        }
    }
    line = std::move(state.ready.front().line);
    cutShort = state.ready.front().cutShort;
    state.ready.pop_front();
    return true;
}

std::uint64_t XmlPlaylistParser::bytesConsumed() const {
    return m_state->consumed;
}

} // namespace tw::playlist
