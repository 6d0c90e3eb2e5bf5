#include "overlay/unified_diff.h"

#include <algorithm>
#include <cstdint>

namespace vlx::overlay {

namespace {

constexpr std::size_t kContext = 3;
// Above this many cells of the comparison table the middle is shown as replaced whole.
constexpr std::size_t kMaxCells = 16u << 20;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  return lines;
}

struct Step {
  char op;          // ' ', '-', '+'
  std::size_t a, b;  // line numbers (0-based) in before and after
};

std::vector<Step> Steps(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
    ++tail;
  const std::size_t n = a.size() - head - tail, m = b.size() - head - tail;
  std::vector<Step> steps;
  for (std::size_t i = 0; i < head; ++i) steps.push_back({' ', i, i});
  if ((n + 1) * (m + 1) > kMaxCells) {
    for (std::size_t i = 0; i < n; ++i) steps.push_back({'-', head + i, head});
    for (std::size_t j = 0; j < m; ++j) steps.push_back({'+', head + n, head + j});
  } else {
    // Longest common subsequence of the middle, walked from the front.
    std::vector<std::uint32_t> len((n + 1) * (m + 1), 0);
    auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& { return len[i * (m + 1) + j]; };
    for (std::size_t i = n; i-- > 0;)
      for (std::size_t j = m; j-- > 0;)
        at(i, j) = a[head + i] == b[head + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
      if (i < n && j < m && a[head + i] == b[head + j]) {
        steps.push_back({' ', head + i++, head + j++});
      } else if (j < m && (i == n || at(i, j + 1) > at(i + 1, j))) {
        steps.push_back({'+', head + i, head + j++});
      } else {
        steps.push_back({'-', head + i++, head + j});
      }
    }
  }
  for (std::size_t k = 0; k < tail; ++k) steps.push_back({' ', head + n + k, head + m + k});
  return steps;
}

std::string Range(std::size_t start, std::size_t count) {
  // One-based; an empty range names the line before it.
  std::string text = std::to_string(count ? start + 1 : start);
  if (count != 1) text.append(",").append(std::to_string(count));
  return text;
}

}  // namespace

std::vector<std::string> UnifiedDiff(const std::string& name, const std::string* before,
                                     const std::string* after) {
  const std::vector<std::string> a = before ? Lines(*before) : std::vector<std::string>{};
  const std::vector<std::string> b = after ? Lines(*after) : std::vector<std::string>{};
  std::vector<std::string> out;
  if (a == b && (before != nullptr) == (after != nullptr)) return out;
  out.push_back("--- " + (before ? name : std::string("/dev/null")));
  out.push_back("+++ " + (after ? name : std::string("/dev/null")));
  const std::vector<Step> steps = Steps(a, b);
  std::size_t k = 0;
  while (k < steps.size()) {
    while (k < steps.size() && steps[k].op == ' ') ++k;
    if (k == steps.size()) break;
    // A hunk: from the context before the first change to the context after the last change
    // that lies within twice the context of the next.
    std::size_t first = k >= kContext ? k - kContext : 0;
    std::size_t last = k;
    for (std::size_t s = k; s < steps.size(); ++s) {
      if (steps[s].op != ' ') last = s;
      else if (s - last > 2 * kContext) break;
    }
    const std::size_t end = std::min(steps.size(), last + 1 + kContext);
    std::size_t countA = 0, countB = 0;
    for (std::size_t s = first; s < end; ++s) {
      if (steps[s].op != '+') ++countA;
      if (steps[s].op != '-') ++countB;
    }
    out.push_back("@@ -" + Range(steps[first].a, countA) + " +" + Range(steps[first].b, countB) + " @@");
    for (std::size_t s = first; s < end; ++s)
      out.push_back(steps[s].op + (steps[s].op == '+' ? b[steps[s].b] : a[steps[s].a]));
    k = end;
  }
  if (out.size() == 2) out.push_back("(the line ends differ)");
  return out;
}

}  // namespace vlx::overlay
