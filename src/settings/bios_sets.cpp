#include "settings/bios_sets.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace kestrune::settings {
namespace {

constexpr std::string_view kNamedEntities[][2] = {
    {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"},
};

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::optional<std::uint32_t> CharacterReference(std::string_view entity) {
  if (!entity.starts_with('#')) {
    return std::nullopt;
  }
  entity.remove_prefix(1);
  const bool hex = entity.starts_with('x') || entity.starts_with('X');
  if (hex) {
    entity.remove_prefix(1);
  }
  std::uint32_t code = 0;
  const auto [end, ec] = std::from_chars(entity.data(), entity.data() + entity.size(), code, hex ? 16 : 10);
  if (entity.empty() || ec != std::errc() || end != entity.data() + entity.size() || code == 0 || code > 0x10FFFF ||
      (code >= 0xD800 && code <= 0xDFFF)) {
    return std::nullopt;
  }
  return code;
}

// An attribute value as XML means it; an "&" that starts no known entity stays as it is.
std::string DecodeEntities(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t amp = text.find('&', at);
    const std::size_t semi = amp == std::string_view::npos ? amp : text.find(';', amp);
    out.append(text.substr(at, std::min(amp, text.size()) - at));
    if (semi == std::string_view::npos) {
      out.append(text.substr(std::min(amp, text.size())));
      break;
    }
    const std::string_view entity = text.substr(amp + 1, semi - amp - 1);
    const auto named = std::find_if(std::begin(kNamedEntities), std::end(kNamedEntities),
                                    [entity](const auto& pair) { return pair[0] == entity; });
    if (named != std::end(kNamedEntities)) {
      out.append((*named)[1]);
    } else if (const auto code = CharacterReference(entity)) {
      AppendUtf8(out, *code);
    } else {
      out.append(text.substr(amp, semi - amp + 1));
    }
    at = semi + 1;
  }
  return out;
}

// The value of an attribute of the element on the line; empty when the line has none.
std::string Attribute(std::string_view line, std::string_view name) {
  const std::string key = " " + std::string(name) + "=\"";
  const std::size_t start = line.find(key);
  if (start == std::string_view::npos) {
    return {};
  }
  const std::size_t from = start + key.size();
  const std::size_t end = line.find('"', from);
  return end == std::string_view::npos ? std::string() : DecodeEntities(line.substr(from, end - from));
}

std::string_view WithoutIndent(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string_view::npos ? std::string_view() : line.substr(first);
}

bool IsBiosMachine(std::string_view name) {
  return std::any_of(BiosFiles().begin(), BiosFiles().end(),
                     [name](const BiosFile& file) { return file.machine == name; });
}

// Reads the file in blocks and hands out its lines; a line longer than a block is no line of a
// -listxml element that matters here and is skipped whole.
class BlockLines {
 public:
  explicit BlockLines(std::FILE* file) : file_(file), buffer_(kBlock) {}

  // False at the end of the file or after a read error (see Failed).
  bool Next(std::string_view& line) {
    for (;;) {
      const char* data = buffer_.data();
      const char* newline = static_cast<const char*>(std::memchr(data + begin_, '\n', end_ - begin_));
      if (newline != nullptr) {
        const std::size_t length = static_cast<std::size_t>(newline - (data + begin_));
        line = std::string_view(data + begin_, length);
        begin_ += length + 1;
        if (skipping_) {
          skipping_ = false;
          continue;
        }
        return true;
      }
      if (eof_) {
        line = std::string_view(data + begin_, end_ - begin_);
        const bool last = begin_ < end_ && !skipping_;
        begin_ = end_;
        return last;
      }
      Refill();
    }
  }
  bool Failed() const { return failed_; }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;

  void Refill() {
    if (begin_ == 0 && end_ == buffer_.size()) {
      skipping_ = true;  // a line longer than the block
      end_ = 0;
    } else {
      std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
      end_ -= begin_;
    }
    begin_ = 0;
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0) {
      eof_ = true;
      failed_ = std::ferror(file_) != 0;
    }
  }

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  bool skipping_ = false;
};

}  // namespace

void BiosSetCollector::Line(std::string_view line) {
  line = WithoutIndent(line);
  if (line.starts_with("<machine ") || line.starts_with("<game ")) {
    const std::string name = Attribute(line, "name");
    current_ = IsBiosMachine(name) && !lists_.contains(name) ? &lists_[name] : nullptr;
  } else if (line.starts_with("</machine") || line.starts_with("</game")) {
    finished_ += current_ != nullptr ? 1 : 0;
    current_ = nullptr;
  } else if (current_ != nullptr && line.starts_with("<biosset ")) {
    BiosSet set{Attribute(line, "name"), Attribute(line, "description"), Attribute(line, "default") == "yes"};
    if (!set.name.empty()) {
      current_->push_back(std::move(set));
    }
  }
}

BiosSetLists BiosSetsFromListXml(std::string_view listXml) {
  BiosSetCollector collector;
  while (!listXml.empty() && !collector.Complete()) {
    const std::size_t end = std::min(listXml.find('\n'), listXml.size());
    collector.Line(listXml.substr(0, end));
    listXml.remove_prefix(std::min(end + 1, listXml.size()));
  }
  return collector.Lists();
}

bool ReadBiosSets(const std::filesystem::path& listXml, BiosSetLists& lists, std::string* error) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(listXml.c_str(), "rb"), &std::fclose);
  if (!file) {
    if (error != nullptr) {
      *error = "Cannot open \"" + listXml.string() + "\": " + std::strerror(errno);
    }
    return false;
  }
  BiosSetCollector collector;
  BlockLines lines(file.get());
  for (std::string_view line; !collector.Complete() && lines.Next(line);) {
    collector.Line(line);
  }
  if (lines.Failed()) {
    if (error != nullptr) {
      *error = "Cannot read \"" + listXml.string() + "\"";
    }
    return false;
  }
  lists = collector.Lists();
  return true;
}

void ApplyBiosSets(MameOptions& options, const BiosSetLists& lists) {
  for (const BiosFile& file : BiosFiles()) {
    if (const auto found = lists.find(file.machine); found != lists.end()) {
      options.SetBiosSets(file.control, found->second);
    }
  }
}

}  // namespace kestrune::settings
