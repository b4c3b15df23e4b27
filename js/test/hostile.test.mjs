// Input a page may hand over without meaning to: lone surrogates, one
// enormous text, a million texts.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { load } from '../src/zabrelo.js';
import { hex, mixedTexts, phrases, random, runTool, toolMissing } from './support.mjs';

const LONE = /[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/g;

test('lone surrogates are units the table leaves unweighed, as it leaves U+FFFD', { skip: toolMissing }, async () => {
  const c = await load();
  const next = random(7);
  // Lone halves at random places, often right before a letter or after
  // the high half of a pair, where a careless decoder would swallow a unit.
  const texts = mixedTexts(3000, 7).map((text) => {
    let out = '';
    for (const unit of text.split('')) {
      if (next() < 0.3) out += String.fromCharCode(next() < 0.5 ? 0xd800 + Math.floor(next() * 0x400) : 0xdc00 + Math.floor(next() * 0x400));
      out += unit;
    }
    return out;
  }).filter((text) => text.match(LONE));
  const wellFormed = texts.map((text) => text.replace(LONE, '\uFFFD'));
  const shown = runTool(['key'], wellFormed);
  texts.forEach((text, i) => {
    assert.equal(hex(c.sortKey(text)), shown[i].replaceAll(' ', ''), JSON.stringify(text));
    assert.equal(c.compare(text, wellFormed[i]), 0);
  });
});

test('a text of ten million units keys, compares and sorts', async () => {
  const c = await load();
  const word = 'کتابِ پڑھ '; // ten units, a mark and a pair among them
  const count = 10_000_000 / word.length;
  const big = word.repeat(count);
  // Nothing joins across the repeats, so each level of the key is the
  // word's level repeated.
  let expected = '';
  let previous = '';
  for (let level = 1; level <= 3; ++level) {
    const key = hex(c.sortKey(word, level));
    expected += key.slice(previous.length).repeat(count);
    previous = key;
  }
  assert.ok(hex(c.sortKey(big)) === expected, 'the key of the long text');
  assert.equal(c.compare(big, big + 'ب'), -1);
  assert.equal(c.compare(big + 'ب', big), 1);
  assert.deepEqual(c.sort([big + 'ب', 'ی', big]), [big, big + 'ب', 'ی']);
});
