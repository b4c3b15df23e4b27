// The tarball `npm pack` makes, installed offline into an empty project
// and used there as any project would: its keys and order are the zabrelo
// command's.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';

import { mixedTexts, phrases, root, runTool, toolMissing, wordList } from './support.mjs';

const consumer = `
import { readFileSync } from 'node:fs';
import { load } from 'zabrelo';
const texts = JSON.parse(readFileSync('texts.json', 'utf8'));
const c = await load();
const keys = texts.map((text) => Buffer.from(c.sortKey(text)).toString('hex').toUpperCase());
process.stdout.write(JSON.stringify({ keys, sorted: c.sort(texts) }));
`;

test('the packed tarball installs offline into an empty project and works there', { skip: toolMissing }, () => {
  const work = mkdtempSync(join(tmpdir(), 'zabrelo-npm-'));
  try {
    const npm = (args, cwd) => execFileSync('npm', [...args, '--no-audit', '--no-fund', '--loglevel=error'],
      { cwd, encoding: 'utf8', env: { ...process.env, npm_config_cache: join(work, 'cache') } });
    npm(['pack', '--pack-destination', work], join(root, 'js'));
    const tarball = readdirSync(work).find((name) => name.endsWith('.tgz'));
    const project = join(work, 'project');
    execFileSync('mkdir', [project]);
    writeFileSync(join(project, 'package.json'), '{ "name": "consumer", "private": true, "type": "module" }\n');
    npm(['install', '--offline', join(work, tarball)], project);

    const texts = [...wordList(), ...phrases(2000), ...mixedTexts(2000, 5)];
    writeFileSync(join(project, 'texts.json'), JSON.stringify(texts));
    writeFileSync(join(project, 'main.mjs'), consumer);
    const { keys, sorted } = JSON.parse(execFileSync('node', ['main.mjs'], { cwd: project, encoding: 'utf8', maxBuffer: 1 << 28 }));
    assert.deepEqual(keys, runTool(['key'], texts).map((shown) => shown.replaceAll(' ', '')));
    assert.deepEqual(sorted, runTool(['sort', '-s'], texts));
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
});
