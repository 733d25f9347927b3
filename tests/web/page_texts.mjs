// The page's own lines in the player's language (web/velmor-texts.js as
// scripts/page-texts fills it from po/ja.po), without a browser: the table
// holds the Japanese of the texts the page's scripts mark, the language is
// the browser's until the game answers, and fill() puts values where a
// translation wants them.
//   node tests/web/page_texts.mjs FILLED_VELMOR_TEXTS_JS
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

const source = readFileSync(process.argv[2], 'utf8');
let failures = 0;
function check(what, ok, got) {
  if (!ok) { ++failures; console.error(`FAIL ${what}: ${JSON.stringify(got)}`); }
}

function pageIn(language) {
  const window = {};
  vm.runInNewContext(source, { window, navigator: { language } });
  return window.velmorTexts;
}

const ja = pageIn('ja-JP');
check('the browser\'s Japanese before the game runs', ja.tr('Saves stored again.') === '保存できました。',
  ja.tr('Saves stored again.'));
check('a line with a value', ja.fill(ja.tr('%s slot files imported.'), 3) === '3 個のセーブを読み込みました。',
  ja.fill(ja.tr('%s slot files imported.'), 3));
check('a text the table lacks stays as written', ja.tr('not a text of the page') === 'not a text of the page',
  ja.tr('not a text of the page'));
// The game's language, once it runs, is the reader's setting.
ja.ask = () => 'en';
check('the reader chose English', ja.tr('Saves stored again.') === 'Saves stored again.', ja.tr('Saves stored again.'));
ja.ask = () => { throw new Error('the game has gone'); };
check('a game that cannot answer: the browser\'s', ja.language() === 'ja', ja.language());

const en = pageIn('en-GB');
check('an English browser', en.tr('Saves stored again.') === 'Saves stored again.', en.tr('Saves stored again.'));
en.ask = () => 'ja';
check('the reader chose Japanese', en.tr('The game has ended.') === 'ゲームは終わりました。', en.tr('The game has ended.'));
check('"ja" only as a language, not a prefix of another', pageIn('jam').language() === 'en', pageIn('jam').language());
check('no language at all', pageIn(undefined).language() === 'en', pageIn(undefined).language());

// fill: in turn, by number, "%%", and a placeholder without a value.
check('in turn', en.fill('%s of %s', 1, 2) === '1 of 2', en.fill('%s of %s', 1, 2));
check('by number', en.fill('%2$s, %1$s', 'a', 'b') === 'b, a', en.fill('%2$s, %1$s', 'a', 'b'));
check('a per cent sign', en.fill('%s%%', 50) === '50%', en.fill('%s%%', 50));
check('no value left', en.fill('%s and %s', 'x') === 'x and %s', en.fill('%s and %s', 'x'));

// Every text the page's scripts mark has its Japanese in the table.
const table = source.match(/const japanese = (\{[\s\S]*?\n  \});/);
check('the table is filled', table && Object.keys(JSON.parse(table[1])).length >= 30, table && table[1].length);
const marked = new Set();
for (const file of ['velmor-page.js', 'velmor-files.js', 'velmor-midi.js']) {
  const page = readFileSync(new URL(`../../web/${file}`, import.meta.url), 'utf8');
  for (const m of page.matchAll(/\btr\('((?:[^'\\]|\\.)*)'\)/g)) marked.add(m[1].replace(/\\(.)/g, '$1'));
}
const japanese = table ? JSON.parse(table[1]) : {};
for (const text of marked) check(`"${text}" in Japanese`, typeof japanese[text] === 'string', text);
check('the scripts mark their lines', marked.size >= 30, marked.size);

if (failures) { console.error(`${failures} failed`); process.exit(1); }
console.log(`page texts: ${marked.size} marked texts, all in Japanese`);
