// sort against `zabrelo sort -s`: the same lines in the same order, at
// every level, both ways, and for a million texts.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { load } from '../src/zabrelo.js';
import { mixedTexts, phrases, runTool, toolMissing, wordList } from './support.mjs';

test('sort is the order of zabrelo sort -s at every level, both ways', { skip: toolMissing }, async () => {
  const c = await load();
  const texts = [...wordList(), ...phrases(20000), ...mixedTexts(20000, 3)];
  for (const level of [1, 2, 3]) {
    for (const reverse of [false, true]) {
      const expected = runTool(['sort', '-s', '-l', String(level), ...(reverse ? ['-r'] : [])], texts);
      assert.deepEqual(c.sort(texts, { level, reverse }), expected, `level ${level}${reverse ? ', reversed' : ''}`);
    }
  }
  // Array.prototype.sort is stable too, so compareFn gives the same order.
  assert.deepEqual(texts.slice().sort(c.compareFn(2)), c.sort(texts, { level: 2 }));
});

test('a million texts sort as zabrelo sort -s sorts them', { skip: toolMissing }, async () => {
  const c = await load();
  const texts = phrases(1_000_000);
  // Joined, the two orders compare in one step rather than a million.
  assert.ok(c.sort(texts).join('\n') === runTool(['sort', '-s'], texts).join('\n'));
});

test('sort returns the elements themselves, ordered by their text', async () => {
  const c = await load();
  const boxed = new String('ب');
  const sorted = c.sort(['ب ', boxed, 7, 'ا'].values());
  // 7 weighs nothing, so its empty key comes first; ب before ب and a space.
  assert.deepEqual(sorted, [7, 'ا', boxed, 'ب ']);
  assert.equal(sorted[2], boxed);
});
