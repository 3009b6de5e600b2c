#include "taskdialog/task_dialog_text.h"

namespace kestrune::taskdialog {

std::u16string ExpandBackslashN(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size() && text[i + 1] == u'n') {
      out += u'\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::u16string NormaliseLineBreaks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      out += u'\n';
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::u16string DisplayText(std::u16string_view text) { return NormaliseLineBreaks(ExpandBackslashN(text)); }

std::u16string CutForSystemDialog(std::u16string_view text) {
  if (text.size() <= kSystemTextLimit) return std::u16string(text);
  std::size_t end = kSystemTextLimit;
  const char16_t last = text[end - 1];
  if (last >= 0xD800 && last <= 0xDBFF) --end;  // a high surrogate whose partner lies past the cut
  return std::u16string(text.substr(0, end));
}

std::u16string WithoutAmpersands(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c != u'&') out += c;
  }
  return out;
}

std::vector<std::u16string> CaptionLines(std::u16string_view caption) {
  std::vector<std::u16string> lines(1);
  for (char16_t c : DisplayText(caption)) {
    if (c == u'\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

char16_t AcceleratorOf(std::u16string_view caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    const char16_t next = caption[i + 1];
    if (next == u'&') {
      ++i;
      continue;
    }
    return next >= u'A' && next <= u'Z' ? static_cast<char16_t>(next - u'A' + u'a') : next;
  }
  return 0;
}

std::u16string BuildClipboardText(std::u16string_view caption, std::u16string_view instruction,
                                  const std::vector<std::u16string>& buttonCaptions) {
  const std::u16string dashes = std::u16string(27, u'-') + u"\r\n";
  std::u16string out = dashes;
  out.append(caption).append(u"\r\n").append(dashes);
  out.append(instruction).append(u"\r\n").append(dashes);
  for (const std::u16string& button : buttonCaptions) {
    out.append(WithoutAmpersands(button)).append(u"   ");
  }
  out.append(u"\r\n").append(dashes);
  return out;
}

}  // namespace kestrune::taskdialog
