// Keys and comparisons against the zabrelo command, on the project's word
// lists, phrases made of them and mixed text, at every level.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { load } from '../src/zabrelo.js';
import { hex, mixedTexts, phrases, runTool, toolMissing, wordList } from './support.mjs';

const texts = [...wordList(), ...phrases(5000), ...mixedTexts(5000)];

test('sortKey is the command\'s key at every level', { skip: toolMissing }, async () => {
  const c = await load();
  const shown = runTool(['key', '-l', '3'], texts);
  assert.equal(shown.length, texts.length);
  texts.forEach((text, i) => {
    const levels = shown[i].split(' ');
    for (let level = 1; level <= 3; ++level) {
      assert.equal(hex(c.sortKey(text, level)), levels.slice(0, level).join(''), `${JSON.stringify(text)} level ${level}`);
    }
  });
});

test('compare and compareFn order as the keys do, 0 for equal keys', async () => {
  const c = await load();
  const order = (a, b) => Buffer.compare(Buffer.from(a), Buffer.from(b));
  for (const level of [1, 2, 3]) {
    const keys = texts.map((text) => c.sortKey(text, level));
    const compareFn = c.compareFn(level);
    for (let i = 0; i + 1 < texts.length; ++i) {
      const [a, b] = [texts[i], texts[(i * 7919) % texts.length]];
      const [ka, kb] = [keys[i], keys[(i * 7919) % texts.length]];
      const expected = order(ka, kb);
      assert.equal(c.compare(a, b, level), expected, `${JSON.stringify(a)} ${JSON.stringify(b)} level ${level}`);
      assert.equal(compareFn(b, a), -expected || 0);
    }
  }
});

test('a table is loaded from its text or its bytes, and a file that is no table is refused', async () => {
  const { readFileSync } = await import('node:fs');
  const { defaultTablePath } = await import('./support.mjs');
  const bytes = readFileSync(defaultTablePath);
  const fromBytes = await load({ table: bytes });
  const fromText = await load({ table: bytes.toString('latin1') });
  const bundled = await load();
  for (const text of texts.slice(0, 200)) {
    assert.deepEqual(fromBytes.sortKey(text), bundled.sortKey(text));
    assert.deepEqual(fromText.sortKey(text), bundled.sortKey(text));
  }
  // No header; a header and a line, but no letter weighed.
  for (const table of ['', 'FA=title\r\n[0627] no weights\r\n']) {
    await assert.rejects(load({ table }), { name: 'ZabreloError', status: 'NOT_A_TABLE' }, JSON.stringify(table));
  }
  await assert.rejects(load({ table: 42 }), TypeError);
});
