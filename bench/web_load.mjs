// Times the browser page in Debian's headless Chromium from navigation to
// its first drawn board: over the network (no service worker, as at a first
// visit) and offline from the service worker's cache. Prints the gzipped
// size of every file of the page, then the median and the slowest of the
// loads.
//   npm ci --prefix tests/web && node bench/web_load.mjs [loads, default 10]
import { readdir, readFile } from 'node:fs/promises';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { closeBrowser, openGame, resize, site, waitForBoard } from '../tests/web/page.mjs';

const loads = Number(process.argv[2] ?? 10);

// Notes when the page first paints a black wall, in ms since navigation.
function timeFirstBoard() {
  const fill = CanvasRenderingContext2D.prototype.fillRect;
  CanvasRenderingContext2D.prototype.fillRect = function (...args) {
    if (window.firstBoard === undefined && this.fillStyle === '#000000')
      window.firstBoard = performance.now();
    return fill.apply(this, args);
  };
}

async function timeLoads(page, reload) {
  const times = [];
  for (let i = 0; i < loads; ++i) {
    await reload();
    await waitForBoard(page);
    times.push(await page.evaluate(() => window.firstBoard));
  }
  times.sort((a, b) => a - b);
  const middle = times.length >> 1;
  const median = times.length % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
  return { median, slowest: times[times.length - 1] };
}

const cleanups = [];
const t = { after: (cleanup) => cleanups.push(cleanup) };
try {
  console.log('| file | bytes | gzipped |\n|---|---|---|');
  let bytes = 0;
  let gzipped = 0;
  for (const name of (await readdir(site)).sort()) {
    const body = await readFile(join(site, name));
    const packed = gzipSync(body, { level: 9 }).length;
    bytes += body.length;
    gzipped += packed;
    console.log(`| \`${name}\` | ${body.length} | ${packed} |`);
  }
  console.log(`| all | ${bytes} | ${gzipped} |\n`);
  // The zips: the plain page's and each portal's.
  for (const zip of (await readdir(join(site, '..'))).filter((name) => /^blockdrop-.*\.zip$/.test(name)).sort())
    console.log(`The zip \`${zip}\`: ${(await readFile(join(site, '..', zip))).length} bytes`);
  console.log('');

  const network = await openGame(t, { workers: false });
  await network.context.addInitScript(timeFirstBoard);
  const online = await timeLoads(network.page, () => network.page.reload());

  const cached = await openGame(t);
  await cached.page.evaluate(() => navigator.serviceWorker.ready);
  await cached.context.addInitScript(timeFirstBoard);
  await cached.context.setOffline(true);
  const offline = await timeLoads(cached.page, () => cached.page.reload());

  console.log(`| navigation to first board (ms), ${loads} loads | median | slowest |\n|---|---|---|`);
  console.log(`| over the network, no service worker | ${online.median.toFixed(1)} | ${online.slowest.toFixed(1)} |`);
  console.log(`| offline, from the service worker | ${offline.median.toFixed(1)} | ${offline.slowest.toFixed(1)} |`);

  console.log('\n| viewport | board (CSS px) | share of the height, width | arrangement |\n|---|---|---|---|');
  for (const phone of [true, false]) {
    const { page } = await openGame(t, { phone, workers: false });
    const sizes = phone ? [[320, 320], [390, 844], [844, 390]] : [[800, 450], [907, 510], [1280, 720], [1920, 1080]];
    for (const [width, height] of sizes) {
      await resize(page, { width, height });
      const [board, arrangement] = await page.evaluate(() => {
        const at = document.getElementById('board').getBoundingClientRect();
        return [[at.width, at.height], document.querySelector('main').className];
      });
      const share = `${(100 * board[1] / height).toFixed(0)} %, ${(100 * board[0] / width).toFixed(0)} %`;
      console.log(`| ${width} x ${height}${phone ? ', touch' : ''} | ${board[0].toFixed(0)} x ${board[1].toFixed(0)} | ${share} | ${arrangement} |`);
    }
  }
} finally {
  for (const cleanup of cleanups.reverse()) await cleanup();
  // Outside the test runner nothing else closes the browser, which would
  // keep the process alive.
  await closeBrowser();
}
