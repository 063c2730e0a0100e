#include "dialogs/list_box.h"

#include <algorithm>
#include <cctype>

#include "dialogs/box_look.h"

namespace lexfray {

namespace {

constexpr int kMargin = 2;
constexpr int kMaxPromptRows = 4;
constexpr int kMaxVisible = 12;
constexpr unsigned char kMoreAbove = 0x1E;  // CP437 up triangle
constexpr unsigned char kMoreBelow = 0x1F;  // CP437 down triangle
constexpr int kEntryFg = kBrightWhite;
constexpr int kSelectedFg = kBlack;
constexpr int kSelectedBg = kLightCyan;
// Letters typed closer together than this make one text to find; a longer pause starts a
// new search.
constexpr int kSearchPauseMs = 1000;
// Wider than any entry a box shows: typing on without a pause adds nothing more.
constexpr std::size_t kLongestSearch = look::kMaxInnerWidth;

bool StartsWithUpperCased(std::string_view entry, std::string_view text) {
  if (entry.size() < text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(entry[i])) != static_cast<unsigned char>(text[i]))
      return false;
  return true;
}

// True when now is less than the search pause after before, on the same day.
bool SoonAfter(const LocalTime& before, const LocalTime& now) {
  if (now.year != before.year || now.month != before.month || now.day != before.day) return false;
  int gap = (now.SecondsSinceMidnight() - before.SecondsSinceMidnight()) * 1000 + now.millisecond -
            before.millisecond;
  return gap >= 0 && gap < kSearchPauseMs;
}

// What the player has typed to find an entry, upper-cased.
class TypedSearch {
 public:
  // Adds a typed character; true when it begins a new search.
  bool Add(int key, const LocalTime& now) {
    bool fresh = text_.empty() || !SoonAfter(last_, now);
    if (fresh) text_.clear();
    if (text_.size() < kLongestSearch) text_.push_back(static_cast<char>(std::toupper(key)));
    last_ = now;
    return fresh;
  }
  void Forget() { text_.clear(); }
  const std::string& text() const { return text_; }
  // One letter typed again and again, as in "AAA".
  bool OneLetterRepeated() const {
    return text_.size() > 1 && text_.find_first_not_of(text_[0]) == std::string::npos;
  }

 private:
  std::string text_;
  LocalTime last_;
};

class ListView {
 public:
  ListView(std::string_view prompt, std::string_view title, const std::vector<std::string>& entries)
      : entries_(entries), title_(title) {
    prompt_ = LayoutText(prompt, look::kMaxInnerWidth - 2 * kMargin);
    if (static_cast<int>(prompt_.size()) > kMaxPromptRows) prompt_.resize(kMaxPromptRows);
    visible_ = std::clamp(static_cast<int>(entries_.size()), 1, kMaxVisible);
    int widest = static_cast<int>(title_.size()) + 4;
    for (const std::string& line : prompt_) widest = std::max(widest, static_cast<int>(line.size()) + 2 * kMargin);
    for (const std::string& entry : entries_)
      widest = std::max(widest, static_cast<int>(entry.size()) + 2 * kMargin + 2);
    int promptRows = static_cast<int>(prompt_.size());
    box_ = CentredBox(std::min(widest, look::kMaxInnerWidth), promptRows + visible_ + 2);
    firstRow_ = box_.top + promptRows + 2;
  }

  int count() const { return static_cast<int>(entries_.size()); }
  int selected() const { return selected_; }

  void Select(int index) {
    if (entries_.empty()) return;
    selected_ = std::clamp(index, 0, count() - 1);
    if (selected_ < top_) top_ = selected_;
    if (selected_ >= top_ + visible_) top_ = selected_ - visible_ + 1;
  }

  int visible() const { return visible_; }

  // Moves the view by whole pages and keeps the selection on the rows that show.
  void ScrollPages(int pages) {
    if (entries_.empty()) return;
    top_ = std::clamp(top_ + pages * visible_, 0, std::max(count() - visible_, 0));
    selected_ = std::clamp(selected_, top_, std::min(top_ + visible_, count()) - 1);
  }

  // The entry whose text is under a click, or -1. The margin and the column of the scroll
  // marks choose nothing.
  int EntryAt(int row, int column) const {
    if (column < TextColumn() || column >= MarkColumn()) return -1;
    int index = top_ + (row - firstRow_);
    if (row < firstRow_ || row >= firstRow_ + visible_ || index >= count()) return -1;
    return index;
  }

  // -1 for a click on the mark of entries above, 1 on the mark of entries below, else 0.
  int ScrollMarkAt(int row, int column) const {
    if (column != MarkColumn()) return 0;
    if (row == firstRow_ && top_ > 0) return -1;
    if (row == firstRow_ + visible_ - 1 && top_ + visible_ < count()) return 1;
    return 0;
  }

  // The first entry from index first on, going round, whose upper-cased text starts with
  // text; -1 when there is none.
  int FindFrom(int first, std::string_view text) const {
    for (int step = 0; step < count(); ++step) {
      int index = (first + step) % count();
      if (StartsWithUpperCased(entries_[static_cast<std::size_t>(index)], text)) return index;
    }
    return -1;
  }

  void DrawAll(Screen& screen) const {
    DrawFrame(screen, box_, title_);
    int row = box_.top + 1;
    for (const std::string& line : prompt_) DrawBoxLine(screen, box_, row++, kMargin, line);
    DrawEntries(screen);
  }

  void DrawEntries(Screen& screen) const {
    int width = box_.InnerWidth() - 2 * kMargin + 2;
    for (int i = 0; i < visible_; ++i) {
      int index = top_ + i;
      std::string text = index < count() ? " " + entries_[static_cast<std::size_t>(index)] : "";
      text.resize(static_cast<std::size_t>(std::max(width, 0)), ' ');
      bool chosen = index == selected_ && index < count();
      DrawBoxLine(screen, box_, firstRow_ + i, kMargin - 1, text, chosen ? kSelectedFg : kEntryFg,
                  chosen ? kSelectedBg : look::kBg);
    }
    DrawScrollMarks(screen);
  }

 private:
  int TextColumn() const { return box_.InnerLeft() + kMargin - 1; }
  int MarkColumn() const { return box_.right - 1; }

  void DrawScrollMarks(Screen& screen) const {
    std::string above(1, top_ > 0 ? static_cast<char>(kMoreAbove) : ' ');
    std::string below(1, top_ + visible_ < count() ? static_cast<char>(kMoreBelow) : ' ');
    int markIndent = MarkColumn() - box_.InnerLeft();
    DrawBoxLine(screen, box_, firstRow_, markIndent, above, kYellow);
    DrawBoxLine(screen, box_, firstRow_ + visible_ - 1, markIndent, below, kYellow);
  }

  const std::vector<std::string>& entries_;
  std::string title_;
  std::vector<std::string> prompt_;
  BoxRect box_{};
  int visible_ = 1;
  int firstRow_ = 0;
  int top_ = 0;
  int selected_ = 0;
};

// Moves the selection for a navigation key; false for keys that do not navigate. A notch of
// the wheel moves it one entry, as the arrow keys do: the selection is what Enter takes,
// and the lists are short enough to go through entry by entry.
bool Navigate(ListView& view, int key) {
  switch (key) {
    case kKeyUp:
    case kKeyWheelUp: view.Select(view.selected() - 1); return true;
    case kKeyDown:
    case kKeyWheelDown: view.Select(view.selected() + 1); return true;
    case kKeyPageUp: view.Select(view.selected() - view.visible()); return true;
    case kKeyPageDown: view.Select(view.selected() + view.visible()); return true;
    case kKeyHome: view.Select(0); return true;
    case kKeyEnd: view.Select(view.count() - 1); return true;
    default: return false;
  }
}

// Selects the entry that what was typed finds; a text that finds none moves nothing. A new
// search looks from the entry after the selected one, so that a letter typed again after a
// pause goes on to the next entry with it; a longer text looks from the selected one on.
void FindTyped(ListView& view, TypedSearch& search, int key, const LocalTime& now) {
  bool fresh = search.Add(key, now);
  int found = view.FindFrom(view.selected() + (fresh ? 1 : 0), search.text());
  // One letter typed again and again goes through the entries that start with it.
  if (found < 0 && search.OneLetterRepeated())
    found = view.FindFrom(view.selected() + 1, search.text().substr(0, 1));
  if (found >= 0) view.Select(found);
}

bool IsTypedText(int key) { return key >= 0x20 && key < 0x7F; }

// The chosen entry's index, or -1 when the box is cancelled.
int RunList(Io& io, ListView& view) {
  TypedSearch search;
  for (;;) {
    InputEvent event = WaitForInput(io);
    if (event.kind == InputEvent::Kind::kKey && IsTypedText(event.key)) {
      FindTyped(view, search, event.key, io.clock.Now());
      view.DrawEntries(io.screen);
      continue;
    }
    search.Forget();
    if (event.kind == InputEvent::Kind::kClick) {
      int hit = view.EntryAt(event.row, event.column);
      if (hit >= 0) return hit;
      view.ScrollPages(view.ScrollMarkAt(event.row, event.column));
    } else if (event.key == kKeyEscape) {
      return -1;
    } else if (event.key == kKeyEnter) {
      if (view.count() > 0) return view.selected();
    } else {
      Navigate(view, event.key);
    }
    view.DrawEntries(io.screen);
  }
}

}  // namespace

std::string ConsoleListBox(Io& io, int /*style*/, std::string_view prompt, std::string_view title,
                           const std::vector<std::string>& entries, int resultForm) {
  ListView view(prompt, title, entries);
  Screen::Snapshot saved = io.screen.Save();
  io.screen.SetCursorVisible(false);
  view.DrawAll(io.screen);
  ShowAndDropTypedAhead(io);
  int chosen = RunList(io, view);
  io.screen.Restore(saved);
  if (chosen < 0) return {};
  if (resultForm == kListReturnsPosition) return std::to_string(chosen + 1);
  return entries[static_cast<std::size_t>(chosen)];
}

}  // namespace lexfray
