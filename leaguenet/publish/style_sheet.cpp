#include "publish/style_sheet.h"

namespace lexfray::leaguenet {

// Every colour pair reaches a contrast of at least 4.5:1 (most 6:1 and more).
const std::string_view kStylesheet = R"css(:root {
  color-scheme: dark light;
  --ground: #000; --text: #bcbcbc; --bright: #fff; --dim: #8a8a8a;
  --bar: #a80000; --on-bar: #fff; --site: #ffff55; --games: #55ffff; --score: #ff5555;
  --hover: #141414; --rule: #3a3a3a;
}
@media (prefers-color-scheme: light) {
  :root {
    --ground: #f7f5ee; --text: #1d1d1d; --bright: #000; --dim: #5c5c5c;
    --bar: #a40000; --on-bar: #fff; --site: #6b5300; --games: #005f66; --score: #a30000;
    --hover: #ebe7da; --rule: #c9c4b4;
  }
}
* { box-sizing: border-box; }
html { background: var(--ground); color: var(--text); -webkit-text-size-adjust: 100%; }
body {
  margin: 0 auto; max-width: 96ch; padding: 0.75rem 1rem 2rem;
  font: 15px/1.4 "DejaVu Sans Mono", "Cascadia Mono", Consolas, Menlo, "Liberation Mono",
    ui-monospace, monospace;
  font-variant-numeric: tabular-nums;
}
a { color: inherit; text-decoration-thickness: 1px; text-underline-offset: 0.2em; }
a:hover { color: var(--bright); }
a:focus-visible, .scroll:focus-visible { outline: 2px solid var(--site); outline-offset: 2px; }

.board {
  border: 3px double var(--text); padding: 0.6rem 1ch 0.7rem; margin-bottom: 0.9rem;
  text-align: center;
}
.bar {
  display: inline-block; margin: 0 0 0.5rem; padding: 0 1ch;
  background: var(--bar); color: var(--on-bar); font-weight: bold; letter-spacing: 0.05em;
}
.beat { margin: 0; color: var(--games); overflow-wrap: anywhere; }
.beat span { color: var(--site); }

nav ul { display: flex; flex-wrap: wrap; gap: 0.4rem 1.5ch; margin: 0 0 1rem; padding: 0; list-style: none; }
nav a, nav span { display: inline-block; padding: 0.1rem 0.6ch; }
nav a { color: var(--bright); }
nav a::before { content: "["; color: var(--dim); }
nav a::after { content: "]"; color: var(--dim); }
nav span { background: var(--text); color: var(--ground); }

h1 { margin: 0 0 0.8rem; font-size: 1.2rem; color: var(--bright); }
h1 .league { color: var(--games); }
h1 .site, h1 .loc { color: var(--site); }
.totals, .none, .more { margin: 0 0 1rem; }
.score { color: var(--score); }

.scroll { overflow-x: auto; margin: 0 0 1.5rem; }
table { border-collapse: collapse; width: 100%; white-space: nowrap; }
caption { text-align: left; padding: 0 0 0.35rem; color: var(--bright); }
thead th { background: var(--bar); color: var(--on-bar); font-weight: normal; text-align: left; }
th, td { padding: 0.1rem 1ch 0.1rem 0; vertical-align: top; }
th:first-child, td:first-child { padding-left: 1ch; }
tbody th { font-weight: normal; color: var(--bright); text-align: left; }
tbody tr:hover { background: var(--hover); }
td:first-child { text-align: right; color: var(--dim); }

.players td:nth-child(3), .players td:nth-child(4),
.sites tbody th, .sites td:nth-child(3), .months td:nth-child(3), .months td:nth-child(4) { color: var(--site); }
.players td:nth-child(3) a, .sites th a { color: var(--site); }
.players td:nth-child(5), .site-players td:nth-child(3), .sites td:nth-child(5),
.sites td:nth-child(6), .months td:nth-child(5) { color: var(--score); text-align: right; }
.players td:nth-child(6), .site-players td:nth-child(4), .sites td:nth-child(4) { color: var(--games); text-align: right; }
.players thead th:nth-child(n+5):nth-child(-n+6), .site-players thead th:nth-child(n+3):nth-child(-n+4),
.sites thead th:nth-child(n+4), .months thead th:nth-child(5),
.players thead th:first-child, .site-players thead th:first-child, .sites thead th:first-child { text-align: right; }
.months th a, .months td:nth-child(2) { color: var(--bright); }

footer { border-top: 1px dashed var(--rule); padding-top: 0.6rem; color: var(--dim); font-size: 0.85rem; }
footer p { margin: 0; }

/* A phone: the wide tables fold each row onto three short lines instead of scrolling. */
@media (max-width: 44rem) {
  body { font-size: 14px; padding: 0.5rem 0.6rem 1.5rem; }
  .players, .site-players, .sites, .months { white-space: normal; }
  .players thead, .site-players thead, .sites thead, .months thead {
    position: absolute; width: 1px; height: 1px; overflow: hidden; clip-path: inset(50%);
  }
  .players tr, .site-players tr, .sites tr {
    display: grid; grid-template-columns: 5ch minmax(0, 1fr) auto; column-gap: 1ch;
    padding: 0.3rem 0; border-bottom: 1px solid var(--rule);
  }
  .players tr > *, .site-players tr > *, .sites tr > *, .months tr > * {
    padding: 0; text-align: left; overflow-wrap: anywhere;
  }
  .players td:first-child, .site-players td:first-child, .sites td:first-child { grid-row: 1 / span 3; text-align: right; }
  .players td:nth-child(3) { grid-area: 2 / 2; }
  .players td:nth-child(4) { grid-area: 2 / 3; }
  .players td:nth-child(5), .site-players td:nth-child(3), .sites td:nth-child(6) { grid-area: 1 / 3; text-align: right; }
  .players td:nth-child(6), .site-players td:nth-child(4), .sites td:nth-child(4) { grid-area: 3 / 2; text-align: left; }
  .players td:nth-child(7), .site-players td:nth-child(5) { grid-area: 3 / 3; text-align: right; color: var(--dim); }
  .sites td:nth-child(3) { grid-area: 2 / 3; }
  .sites td:nth-child(5) { grid-area: 2 / 2; text-align: left; }
  .players td:nth-child(6)::before, .site-players td:nth-child(4)::before { content: "games "; }
  .sites td:nth-child(4)::before { content: "players "; }
  .sites td:nth-child(5)::before { content: "best "; }
  .players td:nth-child(7)::before, .site-players td:nth-child(5)::before { content: "last "; }
  .players td::before, .site-players td::before, .sites td::before { color: var(--dim); }
  .site-players td:nth-child(4) { grid-area: 2 / 2; }
  .site-players td:nth-child(5) { grid-area: 2 / 3; }
  .months tr {
    display: grid; grid-template-columns: minmax(0, 1fr) auto; column-gap: 1ch;
    padding: 0.3rem 0; border-bottom: 1px solid var(--rule);
  }
  .months td:nth-child(5) { grid-area: 1 / 2; text-align: right; }
  .months td:nth-child(2) { grid-area: 2 / 1; }
  .months td:nth-child(3) { grid-area: 3 / 1; }
  .months td:nth-child(4) { grid-area: 3 / 2; text-align: right; }
}

@media print {
  :root { --ground: #fff; --text: #000; --bright: #000; --dim: #000; --bar: #fff; --on-bar: #000;
    --site: #000; --games: #000; --score: #000; --hover: #fff; --rule: #000; }
  body { max-width: none; padding: 0; font-size: 10pt; }
  nav { display: none; }
  .board { border: 0; text-align: left; }
  .bar { padding: 0; }
  thead th { border-bottom: 1px solid #000; font-weight: bold; }
  a { text-decoration: none; }
  .scroll { overflow: visible; }
  thead { display: table-header-group; }
  tr { break-inside: avoid; }
}
)css";

const std::string_view kIcon =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 16 16\">"
    "<rect width=\"16\" height=\"16\" fill=\"#a80000\"/>"
    "<path d=\"M4 2h2.6v9.4H12V14H4z\" fill=\"#fff\"/></svg>\n";

}  // namespace lexfray::leaguenet
