// What a game portal does with the page: serves it under a strict content
// policy, hosts several builds under one site, and takes the zip.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { chmod, cp, mkdtemp, readdir, readFile, rm, utimes, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import {
  board, expectFreshBoard, expectGameEnded, freshBoard, kept, openGame, playUntilDialog, site,
  testSite, until, waitForBoard,
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

// Each portal's SDK as a stub served at the SDK's own address: it records
// the calls the game makes, under names shared by both portals, and holds an
// ad break until the test ends it (window.endBreak).
const portals = {
  poki: {
    before: [],
    stub: `window.portalCalls = [];
      const call = (name) => () => { portalCalls.push(name); };
      window.PokiSDK = {
        init: () => Promise.resolve(),
        gameLoadingFinished: call('loaded'), gameplayStart: call('start'), gameplayStop: call('stop'),
        commercialBreak: () => {
          portalCalls.push('break');
          return new Promise((done) => { window.endBreak = done; });
        },
      };`,
  },
  crazygames: {
    before: ['loading'],
    stub: `window.portalCalls = [];
      const call = (name) => () => { portalCalls.push(name); };
      window.CrazyGames = { SDK: {
        init: () => Promise.resolve(), environment: 'crazygames',
        game: {
          loadingStart: call('loading'), loadingStop: call('loaded'),
          gameplayStart: call('start'), gameplayStop: call('stop'),
        },
        ad: { requestAd: (type, callbacks) => {
          portalCalls.push(type === 'midgame' ? 'break' : type);
          window.endBreak = callbacks.adFinished;
        } },
      } };`,
  },
};

const builds = ['web', ...Object.keys(portals)];
const folderOf = (build) => join(site, '..', build);
const zipOfBuild = (build) => join(site, '..', `blockdrop-${version}-${build}.zip`);

// A portal's build from its zip, with the test build's game (which plays the
// draws of a win when asked), opened with the SDK at its address answered by
// `sdk`: the stub, a script that never defines the SDK, or null for none.
async function openPortalBuild(t, portal, sdk, path = '/?rehearse=won') {
  const folder = await mkdtemp(join(tmpdir(), `blockdrop-${portal}-`));
  t.after(() => rm(folder, { recursive: true, force: true }));
  execFileSync('unzip', ['-q', zipOfBuild(portal), '-d', folder]);
  for (const name of ['blockdrop.js', 'blockdrop.wasm']) await cp(join(testSite, name), join(folder, name));
  const page = await readFile(join(folder, 'index.html'), 'utf8');
  const address = page.match(/<script src="(https:[^"]+)" id="portal-sdk" async><\/script>/)?.[1];
  assert.ok(address, `${portal}'s page loads no SDK`);
  const origin = new URL(address).origin;
  assert.equal(page.match(/content="([^"]*)"/)[1], policy.replace("'wasm-unsafe-eval';",
    `'wasm-unsafe-eval' ${origin}; connect-src 'self' ${origin};`), 'the policy lets in the SDK and no more');
  const opened = await openGame(t, { frozen: true, folder, path: null, workers: false });
  const warnings = [];
  opened.page.on('console', (message) => { if (message.type() === 'warning') warnings.push(message.text()); });
  await opened.context.route(address, (route) => (sdk === null
    ? route.abort()
    : route.fulfill({ contentType: 'text/javascript', body: sdk })));
  await opened.page.goto(opened.origin + path);
  await waitForBoard(opened.page);
  return { ...opened, warnings };
}

const hide = (page, hidden) => page.evaluate((hidden) => {
  Object.defineProperty(document, 'hidden', { get: () => hidden, configurable: true });
  document.dispatchEvent(new Event('visibilitychange'));
}, hidden);

for (const [portal, { before, stub }] of Object.entries(portals)) {
  test(`${portal}'s build tells the SDK of loading, play and pauses, with an ad break before the game after a loss`,
    async (t) => {
      const { page, errors } = await openPortalBuild(t, portal, stub);
      // Once drawn, loaded; playing from the first input (Up moves nothing).
      const expectCalls = async (...calls) => {
        const wanted = [...before, ...calls].join(' ');
        await until(page, (wanted) => window.portalCalls.join(' ') === wanted, wanted, `calls ${wanted}`);
      };
      await expectCalls('loaded');
      await page.keyboard.press('ArrowUp');
      await page.keyboard.press('ArrowUp');
      await expectCalls('loaded', 'start');
      await hide(page, true);
      await hide(page, false);
      const played = ['loaded', 'start', 'stop', 'start'];
      await expectCalls(...played);
      // A win: stopped with the box up, no break, and the new game waits for an input.
      assert.equal((await playUntilDialog(page)).title, 'You Won');
      await page.getByRole('button', { name: 'OK' }).click();
      await expectFreshBoard(page);
      await page.clock.runFor(3000);
      await expectCalls(...played, 'stop');
      // The win's draws with the bucket at the left: a loss.
      await page.keyboard.press('ArrowLeft');
      await expectCalls(...played, 'stop', 'start');
      // A loss: OK runs a break, in which the clock and the keys do nothing.
      assert.equal((await playUntilDialog(page)).title, 'You Lost');
      const lost = await board(page);
      await page.getByRole('button', { name: 'OK' }).click();
      await expectCalls(...played, 'stop', 'start', 'stop', 'break');
      await page.clock.runFor(5000);
      await page.keyboard.press('ArrowLeft');
      assert.equal(await board(page), lost, 'the game stands still during the break');
      await page.evaluate(() => window.endBreak());
      await expectFreshBoard(page, 'the game after the break');
      await page.keyboard.press('ArrowLeft');
      await expectCalls(...played, 'stop', 'start', 'stop', 'break', 'start');
      // Cancel ends it, stopped; Play again is a new page, loaded afresh.
      await playUntilDialog(page);
      await page.getByRole('button', { name: 'Cancel' }).click();
      const again = await expectGameEnded(page);
      await expectCalls(...played, 'stop', 'start', 'stop', 'break', 'start', 'stop');
      await again.click();
      await waitForBoard(page);
      await expectCalls('loaded');
      assert.deepEqual(errors, []);
    });
}

test('without an SDK, or with one that never answers, a portal build plays as the plain one', async (t) => {
  const cases = [['poki', null], ['crazygames', 'window.CrazyGames = { SDK: { init: () => new Promise(() => {}) } };']];
  for (const [portal, sdk] of cases) {
    const { page, errors, warnings } = await openPortalBuild(t, portal, sdk, '/');
    await page.clock.runFor(3000);
    await until(page, () => true);
    assert.match(warnings.join('\n'), /Block Drop plays without .*'s SDK/, portal);
    assert.equal((await playUntilDialog(page)).title, 'You Lost', portal);
    await page.getByRole('button', { name: 'OK' }).click();
    await expectFreshBoard(page, `${portal}: the game after a loss, with no break`);
    assert.deepEqual(errors.filter((e) => !/Failed to load resource/.test(e)), [], portal);
  }
});

test('the zips, plain and per portal: the page at the root, file for file, the same bytes every time', async (t) => {
  for (const build of builds) {
    const served = (await readdir(folderOf(build))).sort();
    assert.ok(served.includes('index.html'), build);
    assert.deepEqual(zipOf(zipOfBuild(build)), served, build);
    for (const name of served)
      assert.ok(zipped(zipOfBuild(build), name).equals(await readFile(join(folderOf(build), name))), name);
  }

  // Packed from the page and from a copy with other times and modes, in
  // another time zone: the same bytes.
  const folder = await mkdtemp(join(tmpdir(), 'blockdrop-zip-'));
  t.after(() => rm(folder, { recursive: true, force: true }));
  await cp(site, join(folder, 'web'), { recursive: true });
  for (const name of await readdir(site)) {
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
