// What a game portal does with the page: serves it under a strict content
// policy, hosts several builds under one site, and takes the zip.
import { after, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { chmod, cp, mkdtemp, readdir, readFile, rm, utimes, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import {
  board, expectFreshBoard, expectGameEnded, freshBoard, kept, openGame, playUntilDialog, site,
  setHidden, testSite, until, waitForBoard,
} from './page.mjs';
import { serve } from '../../scripts/serve.mjs';

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

// Each portal's SDK as a stub served at the SDK's own address, behaving as
// the real one does where it matters: it answers its start after `answer`
// ms of the page's clock (`fail`: fails it; `disabled`: says so), records
// the calls the game makes under names shared by all portals, and for a
// break loads an ad's script, frame and image from another origin
// (window.adOrigin, set before the page loads) and holds the break until
// the test ends it (window.endBreak). GameDistribution's has no calls of
// its own but its events around the ad.
const adParts = `const loadAd = () => {
    window.adLoaded = [];
    // Once all three are in, the ad is taken down, as an SDK does when its
    // ad ends (and the page's clock runs no more frames of its own).
    const seen = (what) => () => {
      adLoaded.push(what);
      if (adLoaded.length === 3) [script, frame, image].forEach((part) => part.remove());
    };
    const script = document.createElement('script');
    script.src = adOrigin + '/ad.js';
    script.onload = seen('script');
    const frame = document.createElement('iframe');
    frame.src = adOrigin + '/ad.html';
    frame.onload = seen('frame');
    const image = new Image();
    image.onload = seen('image');
    image.src = adOrigin + '/ad.png';
    document.body.append(script, frame, image);
  };`;
const answering = ({ answer = 0, fail = false }) => `new Promise((done, failed) => setTimeout(() =>
    ${fail ? "failed(new Error('no ads here'))" : 'done()'}, ${answer}))`;
const portals = {
  poki: {
    sends: ['loaded', 'start', 'stop', 'break'],
    stub: (how = {}) => `window.portalCalls = [];
      ${adParts}
      const call = (name) => () => { portalCalls.push(name); };
      window.PokiSDK = {
        init: () => ${answering(how)},
        gameLoadingFinished: call('loaded'), gameplayStart: call('start'), gameplayStop: call('stop'),
        commercialBreak: () => {
          portalCalls.push('break');
          loadAd();
          return new Promise((done) => { window.endBreak = done; });
        },
      };`,
  },
  crazygames: {
    sends: ['loading', 'loaded', 'start', 'stop', 'break'],
    stub: (how = {}) => `window.portalCalls = [];
      ${adParts}
      const call = (name) => () => { portalCalls.push(name); };
      window.CrazyGames = { SDK: {
        init: () => ${answering(how)}, environment: '${how.disabled ? 'disabled' : 'crazygames'}',
        game: {
          loadingStart: call('loading'), loadingStop: call('loaded'),
          gameplayStart: call('start'), gameplayStop: call('stop'),
        },
        ad: { requestAd: (type, callbacks) => {
          portalCalls.push(type === 'midgame' ? 'break' : type);
          loadAd();
          window.endBreak = callbacks.adFinished;
        } },
      } };`,
  },
  gamedistribution: {
    sends: ['break'],
    stub: (how = {}) => `window.portalCalls = [];
      ${adParts}
      const tell = (name) => GD_OPTIONS.onEvent({ name, message: name });
      window.gdsdk = {
        showAd: () => {
          portalCalls.push('break');
          tell('SDK_GAME_PAUSE');
          loadAd();
          return new Promise((done) => { window.endBreak = () => { tell('SDK_GAME_START'); done(); }; });
        },
      };
      ${answering(how)}.then(() => tell('SDK_READY'), () => tell('SDK_ERROR'));`,
  },
};

const builds = ['web', ...Object.keys(portals)];
const folderOf = (build) => join(site, '..', build);
const zipOfBuild = (build) => join(site, '..', `blockdrop-${version}-${build}.zip`);

// An ad's script, frame and image, served from a second origin (another
// port on 127.0.0.1) for the whole file.
const adFolder = await mkdtemp(join(tmpdir(), 'blockdrop-ads-'));
await writeFile(join(adFolder, 'ad.js'), 'window.adScriptRan = true;\n');
await writeFile(join(adFolder, 'ad.html'), '<!doctype html><title>Ad</title><p>An ad</p>\n');
await cp(join(site, 'screenshot.png'), join(adFolder, 'ad.png'));
const adServer = await serve(adFolder);
const adOrigin = `http://127.0.0.1:${adServer.address().port}`;
after(async () => {
  adServer.close();
  await rm(adFolder, { recursive: true, force: true });
});

const portalPolicy = "object-src 'none'; base-uri 'none'";

// A portal's build from its zip, with the test build's game (which plays the
// draws of a win when asked), opened with the SDK at its address answered by
// `sdk`: the stub, a script that never defines the SDK, or null for none.
async function openPortalBuild(t, portal, sdk, path = '/?rehearse=won') {
  const folder = await mkdtemp(join(tmpdir(), `blockdrop-${portal}-`));
  t.after(() => rm(folder, { recursive: true, force: true }));
  execFileSync('unzip', ['-q', zipOfBuild(portal), '-d', folder]);
  for (const name of ['blockdrop.js', 'blockdrop.wasm']) await cp(join(testSite, name), join(folder, name));
  const page = await readFile(join(folder, 'index.html'), 'utf8');
  // The adapter and the page's side of the portal, then the SDK's script.
  const scripts = [...page.matchAll(/<script src="([^"]+)"[^>]*><\/script>/g)].map((m) => m[1]);
  const address = scripts.find((src) => src.startsWith('https:'));
  assert.ok(address, `${portal}'s page loads no SDK`);
  assert.deepEqual(scripts.slice(0, 3), [`${portal}.js`, 'portal.js', address], 'its scripts, in order');
  assert.equal(page.match(/content="([^"]*)"/)[1], portalPolicy, 'the portal builds\' policy');
  const opened = await openGame(t, { frozen: true, folder, path: null, workers: false });
  const warnings = [];
  opened.page.on('console', (message) => { if (message.type() === 'warning') warnings.push(message.text()); });
  await opened.context.addInitScript(noteViolations);
  await opened.context.addInitScript((origin) => { window.adOrigin = origin; }, adOrigin);
  await opened.context.route(address, (route) => (sdk === null
    ? route.abort()
    : route.fulfill({ contentType: 'text/javascript', body: sdk })));
  await opened.page.goto(opened.origin + path);
  await waitForBoard(opened.page);
  return { ...opened, warnings };
}

// The calls the SDK has had are `calls` (those of them the portal has).
function expectCalls(page, portal, ...calls) {
  const wanted = calls.filter((call) => portals[portal].sends.includes(call)).join(' ');
  return until(page, (wanted) => window.portalCalls.join(' ') === wanted, wanted, `calls ${wanted}`);
}

// The ad of the break that is on loaded whole, nothing of it refused.
async function expectAdLoaded(page, what) {
  await until(page, () => window.adLoaded?.length === 3 && window.adScriptRan === true, null,
    `${what}: the ad's script, frame and image`);
  assert.deepEqual(await page.evaluate(() => window.violations), [], `${what}: refused by the policy`);
}

for (const portal of Object.keys(portals)) {
  test(`${portal}'s build tells the SDK of loading, play and pauses, with an ad break from another origin before the game after a loss`,
    async (t) => {
      const { page, errors } = await openPortalBuild(t, portal, portals[portal].stub());
      const calls = (...more) => expectCalls(page, portal, 'loading', ...more);
      // Once drawn, loaded; playing from the first input (Up moves nothing).
      await calls('loaded');
      await page.keyboard.press('ArrowUp');
      await page.keyboard.press('ArrowUp');
      await calls('loaded', 'start');
      await setHidden(page, true);
      await setHidden(page, false);
      const played = ['loaded', 'start', 'stop', 'start'];
      await calls(...played);
      // A win: stopped with the box up, no break, and the new game waits for an input.
      assert.equal((await playUntilDialog(page)).title, 'You Won');
      await page.getByRole('button', { name: 'OK' }).click();
      await expectFreshBoard(page);
      await page.clock.runFor(3000);
      await calls(...played, 'stop');
      // The win's draws with the bucket at the left: a loss.
      await page.keyboard.press('ArrowLeft');
      await calls(...played, 'stop', 'start');
      // A loss: OK runs a break, in which the clock and the keys do nothing.
      assert.equal((await playUntilDialog(page)).title, 'You Lost');
      const lost = await board(page);
      await page.getByRole('button', { name: 'OK' }).click();
      await calls(...played, 'stop', 'start', 'stop', 'break');
      await expectAdLoaded(page, portal);
      // Idle under it, after the page was hidden once: no timeout set again
      // and again (a spin that once burnt a core through every break).
      await page.evaluate(() => {
        window.timeouts = 0;
        const set = window.setTimeout;
        window.setTimeout = (...args) => { window.timeouts += 1; return set(...args); };
      });
      await page.clock.runFor(5000);
      assert.ok(await page.evaluate(() => window.timeouts) < 5, 'timeouts set under the break');
      await page.keyboard.press('ArrowLeft');
      assert.equal(await board(page), lost, 'the game stands still during the break');
      await page.evaluate(() => window.endBreak());
      await expectFreshBoard(page, 'the game after the break');
      await page.keyboard.press('ArrowLeft');
      await calls(...played, 'stop', 'start', 'stop', 'break', 'start');
      // Cancel ends it, stopped; Play again is a new page, loaded afresh.
      await playUntilDialog(page);
      await page.getByRole('button', { name: 'Cancel' }).click();
      const again = await expectGameEnded(page);
      await calls(...played, 'stop', 'start', 'stop', 'break', 'start', 'stop');
      await again.click();
      await waitForBoard(page);
      await calls('loaded');
      // No worker and no install prompt of the game's own on a portal.
      assert.equal(await page.evaluate(() => navigator.serviceWorker.getRegistrations()
        .then((all) => all.length)), 0);
      assert.equal(await page.locator('link[rel=manifest]').count(), 0);
      assert.deepEqual(errors, []);
    });
}

test('an SDK that answers late gets every call in order, the game playing from the first second; a break asked before it is ready comes when it is, the game held still', async (t) => {
  for (const portal of ['crazygames', 'poki']) {
    // Ready after 8 s: before the loss, which the test build plays at 9 s.
    const slow = await openPortalBuild(t, portal, portals[portal].stub({ answer: 8000 }), '/?rehearse=lost');
    await slow.page.keyboard.press('ArrowUp');
    await slow.page.clock.runFor(3000);
    assert.notEqual(await board(slow.page), freshBoard, `${portal}: the game plays before the SDK is ready`);
    assert.deepEqual(await slow.page.evaluate(() => window.portalCalls), [], 'nothing sent before');
    await slow.page.clock.runFor(5000);
    await expectCalls(slow.page, portal, 'loading', 'loaded', 'start');
    assert.equal((await playUntilDialog(slow.page)).title, 'You Lost');
    await slow.page.getByRole('button', { name: 'OK' }).click();
    await expectCalls(slow.page, portal, 'loading', 'loaded', 'start', 'stop', 'break');
    await slow.page.evaluate(() => window.endBreak());
    await expectFreshBoard(slow.page, `${portal}: the game after the break`);
    assert.deepEqual(slow.errors, []);
  }
  // Ready after 14 s: the loss's break (at 10 s) is asked for before; the
  // new game starts at once, and stands still under the break when it
  // comes, before that game's own loss.
  const { page, errors } = await openPortalBuild(t, 'crazygames', portals.crazygames.stub({ answer: 14000 }),
    '/?rehearse=lost');
  await page.keyboard.press('ArrowUp');
  assert.equal((await playUntilDialog(page)).title, 'You Lost');
  await page.getByRole('button', { name: 'OK' }).click();
  await expectFreshBoard(page, 'the game after a loss, not waiting for the SDK');
  await page.keyboard.press('ArrowLeft');
  await page.clock.runFor(5000);
  await expectCalls(page, 'crazygames', 'loading', 'loaded', 'start', 'stop', 'break');
  await expectAdLoaded(page, 'a late break');
  const held = await board(page);
  await page.clock.runFor(3000);
  await page.keyboard.press('ArrowRight');
  assert.equal(await board(page), held, 'the game stands still under the late break');
  await page.evaluate(() => window.endBreak());
  await page.clock.runFor(1000);
  assert.notEqual(await board(page), held, 'the game goes on after it');
  assert.deepEqual(errors, []);
});

test('an SDK whose script fails, whose start fails or that is disabled is given up, and the game plays as the plain one', async (t) => {
  const cases = [
    ['poki', null, 'its script did not load'],
    ['poki', portals.poki.stub({ fail: true }), 'no ads here'],
    ['crazygames', portals.crazygames.stub({ disabled: true }), 'disabled'],
    ['gamedistribution', portals.gamedistribution.stub({ fail: true }), 'failed'],
  ];
  for (const [portal, sdk, why] of cases) {
    const { page, errors, warnings } = await openPortalBuild(t, portal, sdk, '/?rehearse=lost');
    await page.clock.runFor(100);
    await until(page, () => true);
    assert.match(warnings.join('\n'), new RegExp(`Block Drop plays without .*'s SDK: .*${why}`), portal);
    assert.equal((await playUntilDialog(page)).title, 'You Lost', portal);
    await page.getByRole('button', { name: 'OK' }).click();
    await expectFreshBoard(page, `${portal}: the game after a loss, with no break`);
    assert.deepEqual(errors.filter((e) => !/Failed to load resource/.test(e)), [], portal);
  }
});

test('the plain page refuses an ad from another origin; CrazyGames\' build has no full screen of its own', async (t) => {
  const plain = await openGame(t, { frozen: true, path: null });
  await plain.context.addInitScript(noteViolations);
  await plain.page.goto(`${plain.origin}/`);
  await waitForBoard(plain.page);
  await plain.page.evaluate((origin) => {
    for (const [tag, name] of [['script', 'ad.js'], ['iframe', 'ad.html'], ['img', 'ad.png']]) {
      const element = document.createElement(tag);
      element.src = `${origin}/${name}`;
      document.body.append(element);
    }
  }, adOrigin);
  await until(plain.page, () => window.violations.length >= 3, null, 'the policy to refuse the ad');
  assert.deepEqual((await plain.page.evaluate(() => window.violations)).map((v) => v.split(' ')[0]).sort(),
    ['frame-src', 'img-src', 'script-src-elem']);

  for (const portal of ['crazygames', 'poki']) {
    const { page } = await openPortalBuild(t, portal, portals[portal].stub(), '/');
    assert.equal(await page.evaluate(() => document.fullscreenEnabled), true);
    assert.equal(await page.locator('#full').isVisible(), portal !== 'crazygames', portal);
    await page.keyboard.press('Alt+Enter');
    await page.waitForTimeout(200);
    assert.equal(await page.evaluate(() => document.fullscreenElement !== null), portal !== 'crazygames',
      `${portal}: Alt+Return`);
  }
});

test('the zips, plain and per portal: the page at the root, file for file, the same bytes every time', async (t) => {
  for (const build of builds) {
    const served = (await readdir(folderOf(build))).sort();
    assert.ok(served.includes('index.html'), build);
    // A portal's origin is the portal's: no worker of ours, no install prompt.
    if (build !== 'web') assert.deepEqual(served.filter((name) => /^sw\.js$|\.webmanifest$/.test(name)), [], build);
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
