// A static file server for the browser game, on 127.0.0.1 only.
//   node scripts/serve.mjs <folder> [port, default 8000; 0 picks a free one]
// Also imported by the browser tests, which serve the page on a free port.
// It serves the regular files under its folder and nothing else: no path
// that leads out of it, through `..` or a symbolic link; no dotfiles; no
// method but GET and HEAD; and only to requests for this machine by name,
// so that a page of another site that rebinds its name to 127.0.0.1 reads
// nothing.
import { createServer } from 'node:http';
import { open, realpath } from 'node:fs/promises';
import { extname, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  // Browsers compile a module while it downloads only under this type.
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
};

const hosts = ['127.0.0.1', 'localhost', '[::1]'];

// The file a request path names, or null for one it may not have. The path
// is decoded once; every part must be a plain name.
export function fileFor(root, target) {
  let path;
  try {
    if (!target.startsWith('/')) return null;
    path = decodeURIComponent(target.split('?')[0].split('#')[0]);
  } catch {
    return null;
  }
  if (path.endsWith('/')) path += 'index.html';
  const parts = path.split('/').slice(1);
  if (parts.some((part) => part === '' || part.startsWith('.') || /[\\\0]/.test(part))) return null;
  return resolve(root, ...parts);
}

// Opens the file if it is a regular file whose real path, links followed,
// lies in the folder's real path.
async function openInside(realRoot, file) {
  let real;
  try {
    real = await realpath(file);
  } catch {
    return null;
  }
  if (!real.startsWith(realRoot + sep)) return null;
  const handle = await open(real, 'r').catch(() => null);
  if (!handle) return null;
  const stats = await handle.stat();
  if (!stats.isFile()) {
    await handle.close();
    return null;
  }
  return { handle, stats };
}

// `headers` go on every answer (the browser tests add a content policy).
export async function serve(folder, port = 0, { headers = {} } = {}) {
  const realRoot = await realpath(resolve(folder));
  const server = createServer(async (request, response) => {
    const answer = (status, more = {}) =>
      response.writeHead(status, { 'X-Content-Type-Options': 'nosniff', ...headers, ...more });
    // A browser leaves out port 80.
    const { port: ours } = server.address();
    const named = (host) => request.headers.host === `${host}:${ours}` || (ours === 80 && request.headers.host === host);
    if (!hosts.some(named)) {
      answer(421).end();
      return;
    }
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      answer(405, { Allow: 'GET, HEAD' }).end();
      return;
    }
    const file = fileFor(realRoot, request.url);
    const found = file && (await openInside(realRoot, file));
    if (!found) {
      answer(404).end();
      return;
    }
    try {
      const body = request.method === 'GET' ? await found.handle.readFile() : null;
      answer(200, {
        'Content-Type': types[extname(file)] ?? 'application/octet-stream',
        'Content-Length': body ? body.length : found.stats.size,
        'Cache-Control': 'no-cache',
      });
      response.end(body);
    } catch {
      if (!response.headersSent) answer(500);
      response.end();
    } finally {
      await found.handle.close();
    }
  });
  return new Promise((done, failed) => {
    server.once('error', failed);
    server.listen(port, '127.0.0.1', () => done(server));
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [folder, port = '8000'] = process.argv.slice(2);
  if (!folder) {
    console.error('usage: node scripts/serve.mjs <folder> [port]');
    process.exit(2);
  }
  const server = await serve(folder, Number(port));
  console.log(`Serving ${folder} at http://127.0.0.1:${server.address().port}/ (Ctrl+C stops)`);
}
