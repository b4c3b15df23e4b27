// zabrelo's JavaScript package beside Intl.Collator('ur') in Node, side by
// side in one run, on the same generated Urdu phrases:
//   c.sort(lines)                                        keys each line once, sorts in WebAssembly
//   lines.slice().sort(new Intl.Collator('ur').compare)  ICU's comparison per pair
//   lines.slice().sort(c.compareFn())                    zabrelo's comparison per pair
// Build the package first (npm --prefix js run build), then
//   node bench/js-bench.mjs [--count=200000] [--repeat=5] [--lines=FILE]
// The phrases come from bench/phrases.sh unless --lines names a file of
// UTF-8 lines. Each measure runs `repeat` times, alternating with the
// others; the median is reported.
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

import { load } from '../js/src/zabrelo.js';

const here = dirname(fileURLToPath(import.meta.url));
const option = (name, fallback) => {
  const given = process.argv.find((arg) => arg.startsWith(`--${name}=`));
  return given ? given.slice(name.length + 3) : fallback;
};
const count = Number(option('count', '200000'));
const repeat = Number(option('repeat', '5'));
const file = option('lines', '');

const lines = (file ? readFileSync(file, 'utf8') : execFileSync('bash', [join(here, 'phrases.sh'), String(count)],
  { encoding: 'utf8', maxBuffer: 1 << 30 })).split('\n').filter((line) => line !== '');

const c = await load();
const icu = new Intl.Collator('ur');
const measures = [
  ['zabrelo c.sort(lines)', () => c.sort(lines)],
  ["Intl.Collator('ur') sort", () => lines.slice().sort(icu.compare)],
  ['zabrelo sort(c.compareFn())', () => lines.slice().sort(c.compareFn())],
];

// One untimed round lets each path compile and the memory grow first.
for (const [, run] of measures) run();
const times = measures.map(() => []);
for (let r = 0; r < repeat; ++r) {
  measures.forEach(([, run], i) => {
    const start = process.hrtime.bigint();
    run();
    times[i].push(Number(process.hrtime.bigint() - start) / 1e6);
  });
}
const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
const medians = times.map(median);

console.log(`${lines.length} lines, ${lines.reduce((n, line) => n + line.length, 0)} UTF-16 units; ` +
  `Node ${process.version}, ICU ${process.versions.icu}; median of ${repeat} runs`);
measures.forEach(([name], i) => {
  const ratio = medians[1] / medians[i];
  console.log(`${name.padEnd(30)} ${medians[i].toFixed(1).padStart(9)} ms   ${ratio.toFixed(2)}x Intl.Collator's speed`);
});
