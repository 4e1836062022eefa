#include "lexer/lines.h"

#include <cstdio>

#include "interp/errors.h"

namespace zamiro {

std::string ReportText(const ScanReport& r, const char* sourceName, int32_t lineNo) {
  const char* format = r.format->c_str();
  switch (r.argument) {
    case ScanReport::Argument::kText:
      return Format(format, sourceName, lineNo, r.column, r.text.c_str());
    case ScanReport::Argument::kNumber:
      return Format(format, sourceName, lineNo, r.column, r.number);
    case ScanReport::Argument::kCharacter:
      break;
  }
  // A character is shown as itself when it prints, by its code otherwise.
  int ch = r.number;
  bool printable = ch == '\t' || (ch >= 0x20 && ch < 0x7F) || (ch >= 0xA1 && ch <= 0xDF);
  if (printable) return Format(format, sourceName, lineNo, r.column, ch);
  std::string f = *r.format;
  f.replace(f.find("%c"), 2, "%s");
  char code[8];
  std::snprintf(code, sizeof code, "0x%02X", ch);
  return Format(f.c_str(), sourceName, lineNo, r.column, code);
}

LineStore::Lines& LineStore::LinesOf(const void* source) {
  if (recent_ < sources_.size() && sources_[recent_].source == source) return sources_[recent_];
  for (recent_ = 0; recent_ < sources_.size(); ++recent_) {
    if (sources_[recent_].source == source) return sources_[recent_];
  }
  Lines& fresh = sources_.emplace_back();
  fresh.source = source;
  return fresh;
}

const SourceLine* LineStore::InternSlow(const void* source, int32_t index, std::string_view text) {
  Lines& l = LinesOf(source);
  if (l.lines.empty()) l.first = index;
  if (index < l.first) {
    // Before the first line kept: not read again in this statement, so not worth keeping.
    replaced_.push_back(std::make_unique<SourceLine>(source, index, text));
    return replaced_.back().get();
  }
  auto slot = static_cast<size_t>(index - l.first);
  if (slot >= l.lines.size()) l.lines.resize(slot + 1);
  std::unique_ptr<SourceLine>& line = l.lines[slot];
  if (line != nullptr && line->text == text) return line.get();
  if (line != nullptr) replaced_.push_back(std::move(line));
  line = std::make_unique<SourceLine>(source, index, text);
  return line.get();
}

std::unique_ptr<SourceLine> LineStore::Take(const SourceLine* line) {
  for (Lines& l : sources_) {
    if (l.source != line->source || line->index < l.first) continue;
    auto slot = static_cast<size_t>(line->index - l.first);
    if (slot < l.lines.size() && l.lines[slot].get() == line) return std::move(l.lines[slot]);
  }
  for (std::unique_ptr<SourceLine>& r : replaced_) {
    if (r.get() == line) return std::move(r);
  }
  return nullptr;
}

void LineStore::Release(const SourceLine* keep) {
  bool onlyKeep = replaced_.empty() &&
                  (sources_.empty() || (sources_.size() == 1 && sources_[0].lines.size() == 1 &&
                                        sources_[0].lines[0].get() == keep));
  if (onlyKeep) return;
  std::unique_ptr<SourceLine> kept = keep != nullptr ? Take(keep) : nullptr;
  sources_.clear();
  replaced_.clear();
  recent_ = 0;
  if (kept != nullptr) {
    Lines& l = LinesOf(kept->source);
    l.first = kept->index;
    l.lines.push_back(std::move(kept));
  }
}

}  // namespace zamiro
