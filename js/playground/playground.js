// The playground: lines in, lines sorted out, with each line's key, and
// with a second table the lines it moves. The address fragment holds the
// lines (#text=..., URL-encoded) and the settings, so a link shares them.
import { load } from '../src/zabrelo.js';

const $ = (id) => document.getElementById(id);
const input = $('input');
const levelChoice = $('level');
const reverseChoice = $('reverse');
const status = $('status');

let collator = null;
let other = null; // { collator, name } of a table the user loaded

// A line, sorted by its text but remembering where it came from, so that
// equal lines stay told apart when two orders are set side by side.
class Line {
  constructor(text, index) {
    this.text = text;
    this.index = index;
  }

  toString() {
    return this.text;
  }
}

function inputLines() {
  const text = input.value.replace(/\r\n?/g, '\n');
  if (text === '') return [];
  const lines = text.split('\n');
  if (lines[lines.length - 1] === '') lines.pop(); // a final line break ends the last line
  return lines.map((line, i) => new Line(line, i));
}

// The key as `zabrelo key` shows it: hex, one group per level.
function shownKey(c, text, level) {
  const groups = [];
  let previous = 0;
  for (let l = 1; l <= level; ++l) {
    const key = c.sortKey(text, l);
    groups.push(Array.from(key.subarray(previous), (byte) => byte.toString(16).toUpperCase().padStart(2, '0')).join(''));
    previous = key.length;
  }
  return groups.join(' ');
}

function settings() {
  return { level: Number(levelChoice.value), reverse: reverseChoice.checked };
}

function render() {
  if (!collator) return;
  const lines = inputLines();
  const options = settings();
  const sorted = collator.sort(lines, options);
  $('sorted').textContent = sorted.map((line) => line.text).join('\n');
  $('keys').textContent = sorted.map((line) => shownKey(collator, line.text, options.level)).join('\n');
  $('other-pane').hidden = !other;
  if (other) renderOther(sorted, options);
}

// The other table's order, each line marked with how far it moved.
function renderOther(sorted, options) {
  const before = new Map(sorted.map((line, position) => [line.index, position]));
  const after = other.collator.sort(sorted, options);
  const list = $('sorted-other');
  const moves = [];
  list.replaceChildren();
  let moved = 0;
  after.forEach((line, position) => {
    const shift = before.get(line.index) - position;
    const span = document.createElement('span');
    span.textContent = line.text;
    if (shift !== 0) {
      span.className = 'moved';
      ++moved;
    }
    if (position > 0) list.append('\n');
    list.append(span);
    moves.push(shift > 0 ? `↑${shift}` : shift < 0 ? `↓${-shift}` : '');
  });
  $('moves').textContent = moves.join('\n');
  $('other-name').textContent = other.name;
  $('moved-count').textContent = `(${moved} of ${after.length} lines moved)`;
}

// #text=<lines>&level=<n>&reverse=1, each value URL-encoded.
function readFragment() {
  const fields = new Map();
  for (const field of location.hash.slice(1).split('&')) {
    const equals = field.indexOf('=');
    if (equals < 0) continue;
    try {
      fields.set(field.slice(0, equals), decodeURIComponent(field.slice(equals + 1)));
    } catch {
      status.textContent = 'The link is damaged: part of it is not URL-encoded text.';
    }
  }
  if (fields.has('text')) input.value = fields.get('text');
  if (['1', '2', '3'].includes(fields.get('level'))) levelChoice.value = fields.get('level');
  if (fields.has('reverse')) reverseChoice.checked = fields.get('reverse') === '1';
}

function writeFragment() {
  let fragment = `#text=${encodeURIComponent(input.value)}`;
  const { level, reverse } = settings();
  if (level !== 3) fragment += `&level=${level}`;
  if (reverse) fragment += '&reverse=1';
  history.replaceState(null, '', fragment);
}

let pending = 0;
function changed() {
  cancelAnimationFrame(pending);
  pending = requestAnimationFrame(() => {
    writeFragment();
    render();
  });
}

async function loadOther(file) {
  status.textContent = '';
  try {
    const loaded = await load({ table: new Uint8Array(await file.arrayBuffer()) });
    other?.collator.close();
    other = { collator: loaded, name: file.name };
    $('table-reset').hidden = false;
    render();
  } catch (error) {
    status.textContent = `${file.name}: ${error.message}`;
  }
}

function wire() {
  input.addEventListener('input', changed);
  levelChoice.addEventListener('change', changed);
  reverseChoice.addEventListener('change', changed);
  $('show-keys').addEventListener('change', (event) => document.body.classList.toggle('no-keys', !event.target.checked));
  addEventListener('hashchange', () => {
    readFragment();
    render();
  });
  $('table-file').addEventListener('change', (event) => {
    if (event.target.files[0]) loadOther(event.target.files[0]);
  });
  $('table-reset').addEventListener('click', () => {
    other?.collator.close();
    other = null;
    $('table-file').value = '';
    $('table-reset').hidden = true;
    render();
  });
  $('copy-link').addEventListener('click', async () => {
    writeFragment();
    try {
      await navigator.clipboard.writeText(location.href);
      status.textContent = 'Link copied.';
    } catch {
      status.textContent = 'The link is in the address bar.';
    }
  });
  input.addEventListener('dragover', (event) => {
    event.preventDefault();
    input.classList.add('dropping');
  });
  input.addEventListener('dragleave', () => input.classList.remove('dropping'));
  input.addEventListener('drop', async (event) => {
    event.preventDefault();
    input.classList.remove('dropping');
    const file = event.dataTransfer.files[0];
    if (!file) return;
    input.value = await file.text();
    changed();
  });
}

readFragment();
wire();
try {
  collator = await load();
  render();
} catch (error) {
  status.textContent = `The library did not load: ${error.message}`;
}
