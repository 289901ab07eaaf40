// Writes data/css.tvd (the CSS properties of the "Css Editor" window) and data/colorlist.tvd
// (the CSS named colours) from the CSS definitions of the web platform.
//
//   node scripts/data/make-css-data.mjs <node_modules folder> <data folder>
//
// The node_modules folder must hold @webref/css and color-name; scripts/data/make-css-data.sh
// installs them into a temporary folder and calls this script.
//
// css.tvd has one line per property, sorted by name:
//   name="..." style="essimple|espicklist|esellipsis" values="a|b|..." uservalue="false|"
//   kind="..."
// style is esellipsis for colour properties (the colour picker), espicklist when the value grammar
// offers keywords (the keywords and the CSS-wide keywords become the pick list) and essimple
// otherwise. uservalue is "false" when nothing but those keywords is allowed. kind names the
// value types the grammar refers to (length-percentage, color, ...), as a hint.
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const [modules, dataDir] = process.argv.slice(2);
if (!modules || !dataDir) {
  console.error('usage: make-css-data.mjs <node_modules folder> <data folder>');
  process.exit(2);
}

const css = JSON.parse(
  fs.readFileSync(path.join(modules, '@webref/css/css.json'), 'utf8'));
const colorNames =
  (await import(pathToFileURL(path.join(modules, 'color-name/index.js')).href)).default;

const cssWide = ['inherit', 'initial', 'unset', 'revert', 'revert-layer'];
const types = new Map(css.types.map((t) => [t.name, t]));
const properties = new Map(css.properties.map((p) => [p.name, p]));
// Types whose keywords are too many or too vague for a pick list of a property.
const notExpanded = new Set(['color', 'named-color', 'system-color', 'deprecated-color', 'image',
  'url', 'custom-ident', 'dashed-ident', 'ident', 'string', 'family-name', 'generic-family',
  'counter-style', 'counter-style-name', 'timing-function', 'easing-function', 'transform-list']);

// Splits a grammar into tokens: <type>, <'property'>, identifiers, functions, symbols.
function tokens(syntax) {
  return syntax.match(/<[^>]+>|[A-Za-z][A-Za-z0-9-]*\(?|[-]{1,2}[A-Za-z][A-Za-z0-9-]*\(?|\S/g) ?? [];
}

// Keywords offered by a grammar: identifiers outside functions, and those of the keyword types
// it refers to (one level deep below the property).
function keywords(syntax, depth, found, kinds, ownKinds = depth === 0) {
  let inFunction = 0;
  for (const token of tokens(syntax)) {
    if (token.endsWith('(')) { inFunction++; continue; }
    if (token === ')') { inFunction = Math.max(0, inFunction - 1); continue; }
    if (inFunction) continue;
    if (token.startsWith("<'")) {
      // Another property's grammar, as in margin-left: <'margin-top'>.
      const other = properties.get(token.slice(2, token.indexOf("'", 2)));
      if (other && other.syntax && depth < 2) keywords(other.syntax, depth + 1, found, kinds,
        depth === 0);
      continue;
    }
    if (token.startsWith('<')) {
      const name = token.replace(/^<'?|'?(\s*\[.*\])?>$/g, '').replace(/\s.*$/, '');
      if (ownKinds) kinds.add(name.replace(/\(\)$/, ''));
      const type = types.get(name);
      if (type && type.syntax && depth < 2 && !notExpanded.has(name))
        keywords(type.syntax, depth + 1, found, kinds, false);
      continue;
    }
    if (/^[A-Za-z][A-Za-z0-9-]*$/.test(token)) found.add(token);
  }
  return found;
}

// Whether a grammar is nothing but keyword alternatives ("a | b | c").
function onlyKeywords(syntax) {
  return syntax.split('|').every((part) => /^\s*[A-Za-z][A-Za-z0-9-]*\s*$/.test(part));
}

function isColor(property) {
  const syntax = property.syntax ?? '';
  return syntax === '<color>' || property.name.endsWith('-color');
}

const seen = new Set();
const lines = [];
for (const property of [...css.properties].sort((a, b) => a.name.localeCompare(b.name))) {
  if (seen.has(property.name)) continue;
  seen.add(property.name);
  const syntax = property.syntax ?? '';
  const kinds = new Set();
  const found = [...keywords(syntax, 0, new Set(), kinds)];
  let style = 'essimple';
  if (isColor(property)) style = 'esellipsis';
  else if (found.length > 0) style = 'espicklist';
  const values = found.length > 0 || style !== 'essimple' ? [...found, ...cssWide] : [];
  const userValue = style === 'espicklist' && onlyKeywords(syntax) ? 'false' : '';
  lines.push(` name="${property.name}" style="${style}" values="${values.join('|')}"` +
    ` uservalue="${userValue}" kind="${[...kinds].join('|')}"`);
}
fs.writeFileSync(path.join(dataDir, 'css.tvd'), lines.join('\n') + '\n');

// The named colours in the order CSS lists them, each "name|#RRGGBB"; "transparent" has no
// opaque value and is left out.
const named = types.get('named-color').syntax.split('|').map((s) => s.trim())
  .filter((name) => name !== 'transparent');
const colorLines = named.map((name) => {
  const rgb = colorNames[name];
  if (!rgb) throw new Error(`no value for the colour ${name}`);
  return name + '|#' + rgb.map((v) => v.toString(16).padStart(2, '0').toUpperCase()).join('');
});
fs.writeFileSync(path.join(dataDir, 'colorlist.tvd'), colorLines.join('\n') + '\n');
console.log(`css.tvd: ${lines.length} properties; colorlist.tvd: ${colorLines.length} colours`);
