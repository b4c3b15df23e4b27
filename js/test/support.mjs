// What the tests share: the zabrelo command as the reference, and the
// texts it is compared on, made here from the project's own word lists.
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const defaultTablePath = join(root, 'data/UrduCOdepage.txt');

// A test that lacks what it needs is skipped, but where ZABRELO_TEST_ALL=1
// (the CI stage) says that everything must run, the lack is an error.
export function missing(reason) {
  if (reason && process.env.ZABRELO_TEST_ALL === '1') throw new Error(reason);
  return reason;
}

// ZABRELO_TOOL names the command; else the one in the README's build folder.
export const tool = process.env.ZABRELO_TOOL || join(root, 'build/zabrelo');
export const toolMissing = missing(existsSync(tool) ? false : `no zabrelo command at ${tool} (set ZABRELO_TOOL)`);

// Runs the command with `lines` on standard input and returns its lines.
export function runTool(args, lines, table = defaultTablePath) {
  const output = execFileSync(tool, [...args, `--table=${table}`], {
    input: lines.map((line) => line + '\n').join(''),
    maxBuffer: 1 << 30,
    encoding: 'utf8',
  });
  return output.split('\n').slice(0, -1);
}

function lines(path) {
  return readFileSync(join(root, path), 'utf8').split(/\r?\n/).filter((line) => line !== '');
}

// Every word and group of the project's lists, one text each, and the
// real word list of bench/real-words.sh when ZABRELO_REAL_WORDS names it.
export function wordList() {
  const real = process.env.ZABRELO_REAL_WORDS;
  return [
    ...lines('tests/data/urdu-ordered.txt'),
    ...lines('tests/data/urdu-level1-groups.txt').flatMap((line) => line.split('\t')),
    ...lines('data/sample.txt'),
    ...(real ? readFileSync(real, 'utf8').split('\n').filter((line) => line !== '') : []),
  ];
}

// Phrases of one to three of those words, as the benchmark makes them.
export function phrases(count) {
  return execFileSync('bash', [join(root, 'bench/phrases.sh'), String(count)], { encoding: 'utf8', maxBuffer: 1 << 30 })
    .split('\n').slice(0, -1);
}

// A repeatable pseudo-random generator (mulberry32).
export function random(seed) {
  return () => {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// Texts that mix what a table weighs with what it does not: the Arabic
// block (letters, marks, the pairs' letters, digits), the joiners, Latin,
// ASCII digits and punctuation, characters beyond the BMP and U+FFFD.
// Line breaks stay out, since the command reads lines.
export function mixedTexts(count, seed = 1) {
  const next = random(seed);
  const pools = [
    () => 0x0600 + Math.floor(next() * 0xfa),
    () => [0x0628, 0x06be, 0x0626, 0x0627, 0x0654, 0x06c1, 0x06d2][Math.floor(next() * 7)],
    () => [0x200c, 0x200d, 0xfffd, 0x20, 0x09][Math.floor(next() * 5)],
    () => 0x21 + Math.floor(next() * 0x5e),
    () => 0x1f600 + Math.floor(next() * 0x40),
  ];
  const texts = [];
  for (let i = 0; i < count; ++i) {
    let text = '';
    const length = Math.floor(next() * 12);
    for (let k = 0; k < length; ++k) {
      const pool = next() < 0.6 ? pools[Math.floor(next() * 2)] : pools[Math.floor(next() * pools.length)];
      text += String.fromCodePoint(pool());
    }
    texts.push(text);
  }
  return texts;
}

export function hex(bytes) {
  return Buffer.from(bytes).toString('hex').toUpperCase();
}
