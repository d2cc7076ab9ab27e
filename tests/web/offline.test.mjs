// The page as an installable app that starts without the network once it
// has been visited, and takes a new build on the next visit.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { appendFile, cp, mkdtemp, readdir, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import {
  board, freshBoard, kept, openGame, piecesInRow, site, until, waitForBoard,
} from './page.mjs';

test('after one visit the game starts with the network gone, and plays on the real clock', async (t) => {
  const { page, context, errors } = await openGame(t);
  assert.equal((await kept(page)).length, 1);
  await context.setOffline(true);
  await page.reload();
  await waitForBoard(page);
  assert.equal(await board(page), freshBoard);
  assert.equal(await page.title(), 'Form1');
  // Under the browser's own timers: a piece spawns, then falls to row 1.
  let drawn = await board(page);
  for (let polls = 0; polls < 100 && piecesInRow(drawn, 1) === 0; ++polls) {
    await page.waitForTimeout(50);
    drawn = await board(page);
  }
  assert.equal(piecesInRow(drawn, 1), 1, drawn);
  assert.deepEqual(errors, []);
  // Really offline: what the page did not keep cannot be had.
  assert.equal(await page.evaluate(() => fetch('not-kept.txt').then(() => 'fetched', () => 'failed')),
    'failed');
});

test('the worker keeps every file of the page, in a cache that a change to any renames', async (t) => {
  const cacheOf = (worker) => worker.match(/const cache = `\$\{scope\}([0-9a-f]+)`;/)[1];
  const keptBy = async (folder) => {
    const worker = await readFile(join(folder, 'sw.js'), 'utf8');
    const files = [...worker.match(/const files = \[(.*)\];/)[1].matchAll(/'([^']+)'/g)]
      .map((m) => m[1]).filter((name) => name !== './');
    const served = (await readdir(folder)).filter((name) => name !== 'sw.js').sort();
    assert.deepEqual([...files].sort(), served, folder);
    return { worker, files };
  };
  const { worker, files } = await keptBy(site);
  // The build's own stamp over a copy of the page: the same files name the
  // same cache; a byte more in any one of them, another.
  const folder = await mkdtemp(join(tmpdir(), 'blockdrop-stamp-'));
  t.after(() => rm(folder, { recursive: true, force: true }));
  await cp(site, folder, { recursive: true });
  const source = (name) => fileURLToPath(new URL(`../../shell/web/${name}`, import.meta.url));
  const stamp = async () => {
    execFileSync('cmake', [`-DDIR=${folder}`, `-DFILES=${files.join(';')}`,
      `-DTEMPLATE=${source('sw.js')}`, '-P', source('stamp_worker.cmake')]);
    return cacheOf(await readFile(join(folder, 'sw.js'), 'utf8'));
  };
  const names = new Set([await stamp()]);
  assert.deepEqual([...names], [cacheOf(worker)]);
  for (const name of files) {
    await appendFile(join(folder, name), ' ');
    names.add(await stamp());
  }
  assert.equal(names.size, files.length + 1);
});

test('a new build replaces the kept one on the next visit', async (t) => {
  const folder = await mkdtemp(join(tmpdir(), 'blockdrop-site-'));
  t.after(() => rm(folder, { recursive: true, force: true }));
  await cp(site, folder, { recursive: true });
  const { page, errors } = await openGame(t, { folder });
  const [first] = await kept(page);
  const version = first.split(' ').pop();

  // The next build: another page, and a worker with another version.
  const page1 = await readFile(join(folder, 'index.html'), 'utf8');
  await writeFile(join(folder, 'index.html'), page1.replace('<main>', '<main data-build="next">'));
  const worker = await readFile(join(folder, 'sw.js'), 'utf8');
  assert.match(worker, new RegExp(`\\$\\{scope\\}${version}\``), 'the worker names its cache');
  await writeFile(join(folder, 'sw.js'), worker.replace(version, 'next'));

  await page.reload();
  await waitForBoard(page);
  // The visit found the new worker, which kept the new build and dropped
  // the old one.
  await until(page, (next) => caches.keys().then((names) => names.join() === next),
    first.replace(version, 'next'), 'the new build to be kept');
  await page.reload();
  await waitForBoard(page);
  assert.equal(await page.locator('main').getAttribute('data-build'), 'next');
  assert.deepEqual(errors, []);
});

test('the manifest makes the page installable, with the project icon', async (t) => {
  const { page, origin, errors } = await openGame(t, { profile: true });
  await kept(page);
  const cdp = await page.context().newCDPSession(page);
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  assert.deepEqual(installabilityErrors, []);
  const manifest = await (await page.request.get(`${origin}/manifest.webmanifest`)).json();
  assert.equal(manifest.name, 'Block Drop');
  assert.equal(manifest.short_name, 'Block Drop');
  assert.equal(manifest.display, 'standalone');
  // The browser reads it without a complaint; the install prompt's
  // screenshots, one wide, are there at the sizes it says.
  assert.deepEqual((await cdp.send('Page.getAppManifest')).errors, []);
  assert.ok(manifest.categories.includes('games'));
  assert.ok(manifest.screenshots.some((shot) => shot.form_factor === 'wide'));
  for (const image of [...manifest.icons, ...manifest.screenshots]) {
    const response = await page.request.get(`${origin}/${image.src}`);
    assert.equal(response.status(), 200, image.src);
    assert.equal(response.headers()['content-type'], image.type);
    if (image.type !== 'image/png') continue;
    const png = await response.body();
    assert.equal(`${png.readUInt32BE(16)}x${png.readUInt32BE(20)}`, image.sizes, image.src);
  }
  assert.equal(await readFile(join(site, 'blockdrop.svg'), 'utf8'),
    await readFile(new URL('../../data/blockdrop.svg', import.meta.url), 'utf8'));
  assert.deepEqual(errors, []);
});
