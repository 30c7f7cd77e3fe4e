#include "formats/XmlScan.h"

#include "formats/Gzip.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

namespace tessaro::formats {

namespace {

constexpr size_t kShownChars = 40;

// The length of the well-formed UTF-8 sequence at s[i], or 0.
size_t utf8Length(std::string_view s, size_t i)
{
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    size_t n = 0;
    uint32_t cp = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
    else return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return n;
}

}  // namespace

std::string shownText(std::string_view s, bool cut)
{
    std::string out;
    size_t chars = 0, i = 0;
    char buf[8];
    for (; i < s.size() && chars < kShownChars; ++chars) {
        const size_t n = utf8Length(s, i);
        const auto c = static_cast<unsigned char>(s[i]);
        const bool control = n == 0 || c < 0x20 || c == 0x7F || (n == 2 && c == 0xC2 && static_cast<unsigned char>(s[i + 1]) < 0xA0);
        if (!control) {
            out.append(s.substr(i, n));
            i += n;
            continue;
        }
        for (size_t k = 0; k < std::max<size_t>(n, 1); ++k) {
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(s[i + k]));
            out += buf;
        }
        i += std::max<size_t>(n, 1);
    }
    if (i < s.size() || cut) out += "…";
    return out;
}


namespace {

// The document's bytes as they come: straight from memory, or inflated a
// buffer at a time, so a compressed file never stands whole in memory.
class Input {
public:
    Input(std::string_view bytes, size_t maxBytes) : maxBytes_(maxBytes)
    {
        if (!isGzip(bytes)) {
            if (bytes.size() > maxBytes) {
                error = "ファイルが大きすぎます。";
                return;
            }
            begin_ = p_ = bytes.data();
            end_ = bytes.data() + bytes.size();
            return;
        }
        // 16 + MAX_WBITS: a gzip header, not a raw zlib one.
        if (inflateInit2(&zs_, 16 + MAX_WBITS) != Z_OK) {
            error = "gzip の展開を始められませんでした。";
            return;
        }
        gzip_ = true;
        buffer_ = std::make_unique<char[]>(kBuffer);
        begin_ = p_ = end_ = buffer_.get();
        zs_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        zs_.avail_in = static_cast<uInt>(std::min<size_t>(bytes.size(), UINT32_MAX));
    }
    ~Input()
    {
        if (gzip_) inflateEnd(&zs_);
    }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // The next byte, or -1 at the end (or at a fault of the compressed data, kept in `error`).
    int get()
    {
        if (p_ == end_ && !refill()) return -1;
        return static_cast<unsigned char>(*p_++);
    }
    // The bytes buffered from here on, refilled when none are left.
    std::string_view available()
    {
        if (p_ == end_) refill();
        return {p_, size_t(end_ - p_)};
    }
    void skip(size_t n) { p_ += n; }
    void unget() { --p_; }  // only right after get() gave a byte
    long line() const { return 1 + lines_ + long(std::count(begin_, p_, '\n')); }

    std::string error;

private:
    static constexpr size_t kBuffer = 65536;

    bool refill()
    {
        if (!gzip_ || finished_ || !error.empty()) return false;
        lines_ += long(std::count(begin_, end_, '\n'));
        begin_ = p_ = end_ = buffer_.get();
        while (end_ == begin_) {
            zs_.next_out = reinterpret_cast<Bytef*>(buffer_.get());
            zs_.avail_out = kBuffer;
            const int rc = inflate(&zs_, Z_NO_FLUSH);
            const size_t got = kBuffer - zs_.avail_out;
            if (rc == Z_BUF_ERROR && zs_.avail_in == 0) {
                error = "gzip の圧縮データが途中で切れています。";
                return false;
            }
            if (rc != Z_OK && rc != Z_STREAM_END) {
                error = "gzip の圧縮データが壊れています。";
                return false;
            }
            total_ += got;
            if (total_ > maxBytes_) {
                error = "展開した内容が大きすぎます。";
                return false;
            }
            end_ = begin_ + got;
            if (rc == Z_STREAM_END) {
                finished_ = true;
                break;
            }
        }
        return end_ != begin_;
    }

    size_t maxBytes_;
    bool gzip_ = false, finished_ = false;
    z_stream zs_{};
    std::unique_ptr<char[]> buffer_;
    const char* begin_ = nullptr;
    const char* p_ = nullptr;
    const char* end_ = nullptr;
    size_t total_ = 0;
    long lines_ = 0;  // line breaks in the buffers already passed
};

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool endsName(int c) { return c < 0 || isSpace(c) || c == '/' || c == '>' || c == '=' || c == '<' || c == '"' || c == '\''; }

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

class Scanner {
public:
    Scanner(std::string_view bytes, XmlHandler& handler, const XmlScanLimits& limits)
        : in_(bytes, limits.maxBytes), handler_(handler), limits_(limits)
    {
    }

    std::string run()
    {
        if (!in_.error.empty()) return in_.error;
        for (;;) {
            const std::string_view run = in_.available();
            if (run.empty()) break;
            if (run.front() != '<') {
                if (!text()) return why_;
                continue;
            }
            in_.skip(1);
            if (!markup()) return why_;
            if (rootClosed_) {
                // What follows the document's element is not read; a compressed
                // stream is still inflated to its end, where its checksum is.
                while (!in_.available().empty()) in_.skip(in_.available().size());
                return in_.error;
            }
        }
        if (!in_.error.empty()) return in_.error;
        if (!names_.empty()) return bad("データが途中で終わっています（閉じていない要素があります）");
        if (!rootSeen_) return bad("要素がありません");
        return {};
    }

private:
    std::string bad(const std::string& what)
    {
        if (!in_.error.empty()) return in_.error;
        return "XML として読めません（" + std::to_string(in_.line()) + " 行目: " + what + "）。";
    }
    // A fault of the document: false with the reason kept.
    bool fail(const std::string& what)
    {
        why_ = bad(what);
        return false;
    }
    // The handler stopped the scan: its reason is its own.
    bool stopped()
    {
        why_.clear();
        return false;
    }
    int depth() const { return int(names_.size()); }

    bool deliver(std::string_view chunk)
    {
        if (names_.empty() || chunk.empty()) return true;  // outside the document's element: nothing to keep
        return handler_.text(chunk, depth()) || stopped();
    }

    // The length of the run before the first of the stops, searched in windows
    // that grow, so that no search runs far past the nearest stop.
    static size_t runBefore(std::string_view run, std::initializer_list<char> stops)
    {
        for (size_t from = 0, window = 64;; window *= 2) {
            size_t upto = std::min(run.size(), from + window);
            bool found = false;
            for (const char stop : stops)
                if (const void* at = std::memchr(run.data() + from, stop, upto - from)) {
                    upto = size_t(static_cast<const char*>(at) - run.data());
                    found = true;
                }
            if (found || upto == run.size()) return upto;
            from = upto;
        }
    }

    // Character data up to the next markup; entity references decoded, and
    // gathered with the text between them so that each is not a call of its own.
    bool text()
    {
        std::string_view run = in_.available();
        size_t plain = runBefore(run, {'<', '&'});
        if (plain > 0 && (plain == run.size() || run[plain] == '<')) {
            if (!deliver(run.substr(0, plain))) return false;
            in_.skip(plain);
            return true;
        }
        std::string gathered;
        for (;;) {
            gathered.append(run.substr(0, plain));
            in_.skip(plain);
            if (plain == run.size() || run[plain] == '<' || gathered.size() >= 4096) break;
            in_.skip(1);  // the '&'
            reference(gathered);
            run = in_.available();
            plain = runBefore(run, {'<', '&'});
        }
        return deliver(gathered);
    }

    static bool nameChar(int c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '#'; }

    // The character a reference's name ("amp", "#27", "#x1B") stands for, added to `out`.
    static bool decode(std::string_view name, std::string& out)
    {
        if (name == "lt") return out += '<', true;
        if (name == "gt") return out += '>', true;
        if (name == "amp") return out += '&', true;
        if (name == "apos") return out += '\'', true;
        if (name == "quot") return out += '"', true;
        if (name.size() < 2 || name[0] != '#') return false;
        const bool hex = name[1] == 'x';
        if (name.size() == (hex ? 2u : 1u)) return false;
        uint32_t cp = 0;
        for (size_t i = hex ? 2 : 1; i < name.size(); ++i) {
            const char d = name[i];
            int v = -1;
            if (d >= '0' && d <= '9') v = d - '0';
            else if (hex && d >= 'a' && d <= 'f') v = d - 'a' + 10;
            else if (hex && d >= 'A' && d <= 'F') v = d - 'A' + 10;
            if (v < 0 || cp > 0x10FFFF) return false;
            cp = cp * (hex ? 16 : 10) + uint32_t(v);
        }
        if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        appendUtf8(out, cp);
        return true;
    }

    // After '&': the character it stands for, or the text as it was when it is
    // no reference this reader knows (kept as written, not refused).
    void reference(std::string& out)
    {
        // Most often the whole reference is in the buffer: read in place.
        const std::string_view run = in_.available();
        if (const void* semi = std::memchr(run.data(), ';', std::min<size_t>(run.size(), 13))) {
            const std::string_view name = run.substr(0, size_t(static_cast<const char*>(semi) - run.data()));
            if (std::all_of(name.begin(), name.end(), [](char c) { return nameChar(c); })) {
                in_.skip(name.size() + 1);
                if (!decode(name, out)) out.append("&").append(name).append(";");
                return;
            }
        }
        std::string name;
        int c = in_.get();
        while (name.size() < 12 && nameChar(c)) {
            name += char(c);
            c = in_.get();
        }
        if (c == ';' && decode(name, out)) return;
        out += '&';
        out += name;
        if (c == ';') out += ';';
        else if (c >= 0) in_.unget();  // not part of the reference: read again as what it is
    }

    bool readName(int first, std::string& name)
    {
        name.clear();
        int c = first;
        while (!endsName(c)) {
            if (name.size() >= limits_.maxName) return fail("名前が長すぎます");
            name += char(c);
            c = in_.get();
        }
        if (c >= 0) in_.unget();
        if (name.empty()) return fail("名前がありません");
        return true;
    }
    int skipSpaces()
    {
        int c = in_.get();
        while (isSpace(c)) c = in_.get();
        return c;
    }

    // Skips up to and past `closing` ("-->", "?>"): false when the data ends first.
    bool skipPast(std::string_view closing)
    {
        size_t matched = 0;
        for (;;) {
            const int c = in_.get();
            if (c < 0) return false;
            if (c == closing[matched]) {
                if (++matched == closing.size()) return true;
            } else {
                matched = (c == closing[0]) ? 1 : 0;
            }
        }
    }

    // After '<'.
    bool markup()
    {
        const int c = in_.get();
        if (c == '/') return endTag();
        if (c == '?') return skipPast("?>") || fail("処理命令が閉じていません");
        if (c == '!') return declaration();
        if (c < 0) return fail("データが途中で終わっています");
        return startTag(c);
    }

    bool declaration()
    {
        std::string head;
        while (head.size() < 7) {
            const int c = in_.get();
            if (c < 0) return fail("データが途中で終わっています");
            head += char(c);
            if (head == "--") return skipPast("-->") || fail("コメントが閉じていません");
            if (head == "[CDATA[") return cdata();
            if (head == "DOCTYPE") return doctype();
        }
        return fail("読めない宣言があります");
    }

    bool cdata()
    {
        std::string chunk;
        size_t brackets = 0;
        for (;;) {
            const int c = in_.get();
            if (c < 0) return fail("CDATA が閉じていません");
            if (c == '>' && brackets >= 2) {
                chunk.append(brackets - 2, ']');
                return deliver(chunk);
            }
            if (c == ']') {
                ++brackets;
                continue;
            }
            chunk.append(brackets, ']');
            brackets = 0;
            chunk += char(c);
            if (chunk.size() >= 4096) {
                if (!deliver(chunk)) return false;
                chunk.clear();
            }
        }
    }

    // Skipped whole, its internal subset too: the reader expands no entity it declares.
    bool doctype()
    {
        int brackets = 0;
        char quote = 0;
        for (;;) {
            const int c = in_.get();
            if (c < 0) return fail("DOCTYPE が閉じていません");
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = char(c);
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                return true;
            }
        }
    }

    bool startTag(int first)
    {
        std::string name;
        if (!readName(first, name)) return false;
        attributes_.clear();
        bool empty = false;
        for (;;) {
            int c = in_.get();
            const bool spaced = isSpace(c);
            while (isSpace(c)) c = in_.get();
            if (c == '>') break;
            if (c == '/') {
                if (in_.get() != '>') return fail("タグが正しく閉じていません");
                empty = true;
                break;
            }
            if (c < 0) return fail("データが途中で終わっています");
            if (!spaced) return fail("属性の前に空白がありません");
            if (attributes_.size() >= limits_.maxAttributes) return fail("属性が多すぎます");
            XmlAttribute& a = attributes_.emplace_back();
            if (!readName(c, a.name)) return false;
            if (skipSpaces() != '=') return fail("属性 " + shownText(a.name, false) + " に値がありません");
            const int quote = skipSpaces();
            if (quote != '"' && quote != '\'') return fail("属性 " + shownText(a.name, false) + " の値に引用符がありません");
            if (!value(quote, a)) return false;
        }
        if (depth() >= limits_.maxDepth) return fail("要素の入れ子が深すぎます");
        rootSeen_ = true;
        names_.push_back(name);
        if (!handler_.start(name, attributes_, depth())) return stopped();
        if (empty) return close();
        return true;
    }

    // An attribute's value after its opening quote, line breaks and tabs as spaces.
    bool value(int quote, XmlAttribute& a)
    {
        std::string decoded;
        for (;;) {
            const std::string_view run = in_.available();
            if (run.empty()) return fail("属性 " + shownText(a.name, false) + " の値が閉じていません");
            const size_t plain = runBefore(run, {char(quote), '&', '<'});
            if (plain > 0) {
                add(a, run.substr(0, plain));
                in_.skip(plain);
                continue;
            }
            const int c = in_.get();
            if (c == quote) return true;
            if (c == '<') return fail("属性 " + shownText(a.name, false) + " の値に < があります");
            decoded.clear();
            reference(decoded);
            add(a, decoded);
        }
    }

    void add(XmlAttribute& a, std::string_view part) const
    {
        const size_t room = limits_.maxValue - a.value.size();
        if (part.size() > room) a.cut = true;
        const size_t from = a.value.size();
        a.value.append(part.substr(0, room));
        for (size_t i = from; i < a.value.size(); ++i)
            if (isSpace(a.value[i])) a.value[i] = ' ';
    }

    bool endTag()
    {
        std::string name;
        if (!readName(in_.get(), name)) return false;
        if (skipSpaces() != '>') return fail("終了タグが正しく閉じていません");
        if (names_.empty() || names_.back() != name) return fail("終了タグ </" + shownText(name, false) + "> が開始タグと合いません");
        return close();
    }

    bool close()
    {
        const std::string name = std::move(names_.back());
        const int d = depth();
        names_.pop_back();
        if (names_.empty()) rootClosed_ = true;
        return handler_.end(name, d) || stopped();
    }

    Input in_;
    XmlHandler& handler_;
    const XmlScanLimits& limits_;
    std::vector<std::string> names_;  // the open elements, outermost first
    std::vector<XmlAttribute> attributes_;
    bool rootSeen_ = false, rootClosed_ = false;
    std::string why_;
};

}  // namespace

std::string scanXml(std::string_view bytes, XmlHandler& handler, const XmlScanLimits& limits)
{
    return Scanner(bytes, handler, limits).run();
}

}  // namespace tessaro::formats
