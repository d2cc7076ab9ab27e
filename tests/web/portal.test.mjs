// What a game portal does with the page: serves it under a strict content
// policy, hosts several builds under one site, and takes the zip.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { chmod, cp, mkdtemp, readdir, readFile, rm, utimes, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import {
  board, expectFreshBoard, expectGameEnded, freshBoard, kept, openGame, playUntilDialog, site, until,
  waitForBoard,
} from './page.mjs';

const policy = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; " +
  "img-src 'self' data:; object-src 'none'; base-uri 'none'";

// Notes every breach of the page's content policy, from the first script on.
function noteViolations() {
  window.violations = [];
  document.addEventListener('securitypolicyviolation', (event) => {
    window.violations.push(`${event.violatedDirective} ${event.blockedURI}`);
  });
}

test('the page declares the strict policy, has nothing inline and opens no browser box', async () => {
  const page = await readFile(join(site, 'index.html'), 'utf8');
  const declared = page.match(/<meta http-equiv="Content-Security-Policy" content="([^"]*)">/);
  assert.equal(declared?.[1], policy);
  assert.doesNotMatch(page, /<style|\sstyle=|\son[a-z]+=|javascript:/i);
  for (const script of page.matchAll(/<script([^>]*)>([^<]*)<\/script>/g)) {
    assert.match(script[1], /\ssrc="[^"]+"/, script[0]);
    assert.equal(script[2].trim(), '', script[0]);
  }
  // Nor does it open the browser's own boxes, which a sandbox may refuse.
  for (const name of (await readdir(site)).filter((n) => /\.(html|js)$/.test(n)))
    assert.doesNotMatch(await readFile(join(site, name), 'utf8'), /\b(alert|confirm|prompt)\s*\(/, name);
});

test('under the strict policy sent as a header the game plays through both answers', async (t) => {
  const { page, context, errors, origin } = await openGame(t, {
    frozen: true, path: null, headers: { 'Content-Security-Policy': policy },
  });
  await context.addInitScript(noteViolations);
  await page.goto(`${origin}/`);
  await waitForBoard(page);
  assert.equal(await board(page), freshBoard);
  const response = await page.request.get(page.url());
  assert.equal(response.headers()['content-security-policy'], policy);

  assert.equal((await playUntilDialog(page)).title, 'You Lost');
  await page.getByRole('button', { name: 'OK' }).click();
  await until(page, () => !document.getElementById('box').open);
  await expectFreshBoard(page);
  await playUntilDialog(page);
  await page.getByRole('button', { name: 'Cancel' }).click();
  await expectGameEnded(page);
  // The service worker too was let in.
  assert.equal(await page.evaluate(() => navigator.serviceWorker.ready.then((r) => !!r.active)), true);
  assert.deepEqual(await page.evaluate(() => window.violations), []);
  assert.deepEqual(errors, []);
});

test('two builds under two folders of one site both start offline', async (t) => {
  const folder = await mkdtemp(join(tmpdir(), 'blockdrop-scopes-'));
  t.after(() => rm(folder, { recursive: true, force: true }));
  await cp(site, join(folder, 'a'), { recursive: true });
  await cp(site, join(folder, 'b'), { recursive: true });
  // Two builds: b's is another version.
  const worker = await readFile(join(folder, 'b', 'sw.js'), 'utf8');
  const version = worker.match(/const cache = `\$\{scope\}([0-9a-f]+)`;/)[1];
  await writeFile(join(folder, 'b', 'sw.js'), worker.replace(version, 'b-build'));

  const { page, context, origin, errors } = await openGame(t, { folder, path: null });
  await page.goto(`${origin}/a/`);
  await waitForBoard(page);
  assert.deepEqual(await kept(page), [`blockdrop ${origin}/a/ ${version}`]);
  await page.goto(`${origin}/b/`);
  await waitForBoard(page);
  await kept(page);
  assert.deepEqual((await page.evaluate(() => caches.keys())).sort(),
    [`blockdrop ${origin}/a/ ${version}`, `blockdrop ${origin}/b/ b-build`]);

  await context.setOffline(true);
  for (const path of ['/a/', '/b/', '/a/']) {
    await page.goto(origin + path);
    await waitForBoard(page);
    assert.equal(await board(page), freshBoard, path);
  }
  assert.deepEqual(errors, []);
});

const version = (await readFile(new URL('../../CMakeLists.txt', import.meta.url), 'utf8'))
  .match(/project\(blockdrop VERSION ([0-9.]+)/)[1];
const zipOf = (file) => execFileSync('unzip', ['-Z1', file], { encoding: 'utf8' }).trim().split('\n');
const zipped = (file, name) => execFileSync('unzip', ['-p', file, name]);

test('the portal zip: the page at its root, file for file, the same bytes every time', async (t) => {
  const built = new URL(`../../build-web/blockdrop-${version}-web.zip`, import.meta.url).pathname;
  const served = (await readdir(site)).sort();
  assert.ok(served.includes('index.html'));
  assert.deepEqual(zipOf(built), served);
  for (const name of served)
    assert.ok(zipped(built, name).equals(await readFile(join(site, name))), name);

  // Packed from the page and from a copy with other times and modes, in
  // another time zone: the same bytes.
  const folder = await mkdtemp(join(tmpdir(), 'blockdrop-zip-'));
  t.after(() => rm(folder, { recursive: true, force: true }));
  await cp(site, join(folder, 'web'), { recursive: true });
  for (const name of served) {
    await utimes(join(folder, 'web', name), 1e9, 1e9);
    await chmod(join(folder, 'web', name), 0o600);
  }
  const zipScript = new URL('../../scripts/zip-reproducible.sh', import.meta.url).pathname;
  execFileSync(zipScript, [site, join(folder, 'first.zip')]);
  execFileSync(zipScript, [join(folder, 'web'), join(folder, 'again.zip')],
    { env: { ...process.env, TZ: 'Asia/Tokyo' } });
  assert.ok((await readFile(join(folder, 'again.zip'))).equals(await readFile(join(folder, 'first.zip'))),
    'the zip depends on more than the files');
  // Its entries carry the time asked for.
  execFileSync(zipScript, [join(folder, 'web'), join(folder, 'dated.zip')],
    { env: { ...process.env, SOURCE_DATE_EPOCH: '1700000000' } });
  assert.match(execFileSync('zipinfo', ['-T', join(folder, 'dated.zip'), 'index.html'], { encoding: 'utf8' }),
    / 20231114\.2213\d\d /);
});
