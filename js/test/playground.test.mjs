// The playground in headless Chromium, served from 127.0.0.1: the lines
// of a #text= link come out in #sorted in the order of `zabrelo sort -s`.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import { missing, mixedTexts, root, runTool, toolMissing, wordList } from './support.mjs';

const chromium = process.env.CHROMIUM || 'chromium';
let browserMissing = false;
try {
  execFileSync(chromium, ['--version'], { stdio: 'ignore' });
} catch {
  browserMissing = missing(`no ${chromium} to run the page in (set CHROMIUM)`);
}
const skip = toolMissing || browserMissing;

let server = null;
let origin = '';

before(async () => {
  if (skip) return;
  // Python's static server on a port the system picks; it says which.
  server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', join(root, 'js')],
    { stdio: ['ignore', 'pipe', 'ignore'] });
  origin = await new Promise((resolve, reject) => {
    let said = '';
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const port = /port (\d+)/.exec(said);
      if (port) resolve(`http://127.0.0.1:${port[1]}`);
    });
    server.on('exit', (code) => reject(new Error(`the static server stopped (${code})`)));
  });
});

function stopServer() {
  if (server && server.exitCode === null && server.signalCode === null) process.kill(server.pid);
}
after(stopServer);
process.on('exit', stopServer); // also when the run ends some other way

// The page's DOM once its scripts have run: virtual time runs until the
// page is idle, the module, WebAssembly and table loaded and the lines sorted.
function pageDom(url) {
  const profile = mkdtempSync(join(tmpdir(), 'zabrelo-chromium-'));
  try {
    return execFileSync(chromium, ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
      `--user-data-dir=${profile}`, '--virtual-time-budget=20000', '--dump-dom', url],
    { encoding: 'utf8', maxBuffer: 1 << 28, timeout: 120_000, stdio: ['ignore', 'pipe', 'ignore'] });
  } finally {
    rmSync(profile, { recursive: true, force: true });
  }
}

function sortedLines(dom) {
  const pre = /<pre id="sorted"[^>]*>([\s\S]*?)<\/pre>/.exec(dom);
  assert.ok(pre, 'the page has a #sorted element');
  const text = pre[1].replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&nbsp;/g, '\u00a0').replace(/&amp;/g, '&');
  return text === '' ? [] : text.split('\n');
}

const lines = [...wordList().slice(0, 150), ...mixedTexts(60, 11)];

for (const { settings, args } of [
  { settings: '', args: [] },
  { settings: '&level=1&reverse=1', args: ['-l', '1', '-r'] },
]) {
  test(`the page sorts a #text= link's lines as zabrelo sort -s ${args.join(' ')}`, { skip }, () => {
    const url = `${origin}/playground/index.html#text=${encodeURIComponent(lines.join('\n'))}${settings}`;
    assert.deepEqual(sortedLines(pageDom(url)), runTool(['sort', '-s', ...args], lines));
  });
}
