// The local server serves the regular files of its folder to this machine
// and nothing else, however the request is spelt.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { request } from 'node:http';
import { mkdir, mkdtemp, rm, symlink, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serve } from '../../scripts/serve.mjs';

// Sends the request exactly as given (no URL clean-up on the way); a null
// host sends none.
function ask(port, path, { method = 'GET', host = `127.0.0.1:${port}` } = {}) {
  return new Promise((done, failed) => {
    const headers = host === null ? {} : { Host: host };
    const sent = request({ host: '127.0.0.1', port, path, method, headers, setHost: false }, (response) => {
      const chunks = [];
      response.on('data', (chunk) => chunks.push(chunk));
      response.on('end', () => done({
        status: response.statusCode, headers: response.headers, body: Buffer.concat(chunks).toString(),
      }));
    });
    sent.on('error', failed);
    sent.end();
  });
}

// A served folder, beside a secret it must never give away, with links
// that lead out to the secret, to its folder and to /etc.
async function site(t) {
  const top = await mkdtemp(join(tmpdir(), 'blockdrop-serve-'));
  t.after(() => rm(top, { recursive: true, force: true }));
  const root = join(top, 'web');
  await mkdir(join(root, 'sub'), { recursive: true });
  await mkdir(join(root, '.git'));
  await writeFile(join(top, 'secret.txt'), 'SECRET outside');
  await writeFile(join(root, 'index.html'), 'the page');
  await writeFile(join(root, 'sub', 'index.html'), 'the sub page');
  await writeFile(join(root, 'page.css'), 'main {}');
  await writeFile(join(root, '.env'), 'SECRET dotfile');
  await writeFile(join(root, '.git', 'config'), 'SECRET git');
  await symlink(join(top, 'secret.txt'), join(root, 'secret.txt'));
  await symlink(top, join(root, 'up'));
  await symlink('/etc/passwd', join(root, 'passwd'));
  await symlink('/etc', join(root, 'etc'));
  await symlink(join(root, 'index.html'), join(root, 'home.html')); // inside: fine
  const server = await serve(root);
  t.after(() => server.close());
  return server.address().port;
}

test('serves the folder\'s files, with their type and nosniff', async (t) => {
  const port = await site(t);
  for (const [path, body] of [['/', 'the page'], ['/index.html', 'the page'], ['/sub/', 'the sub page'],
    ['/home.html', 'the page'], ['/page.css?v=1', 'main {}']]) {
    const answer = await ask(port, path);
    assert.equal(answer.status, 200, path);
    assert.equal(answer.body, body, path);
    assert.equal(answer.headers['x-content-type-options'], 'nosniff', path);
  }
  assert.equal((await ask(port, '/page.css')).headers['content-type'], 'text/css; charset=utf-8');
  const head = await ask(port, '/', { method: 'HEAD' });
  assert.equal(head.status, 200);
  assert.equal(head.body, '');
  assert.equal(head.headers['content-length'], '8');
});

test('nothing outside the folder, by link or by `..` in any spelling; no dotfiles, no folders', async (t) => {
  const port = await site(t);
  const paths = [
    '/secret.txt', '/up/secret.txt', '/passwd', '/etc/passwd', '/etc/',
    '/../secret.txt', '/sub/../../secret.txt', '/%2e%2e/secret.txt', '/%2E%2E/secret.txt',
    '/.%2e/secret.txt', '/%2e%2e%2fsecret.txt', '/..%2fsecret.txt', '/sub%2f..%2f..%2fsecret.txt',
    '/..%5csecret.txt', '/%252e%252e/secret.txt', '/%c0%ae%c0%ae/secret.txt', '/..\\secret.txt',
    '/%2e%2e/%2e%2e/%2e%2e/%2e%2e/etc/passwd', '/..%00/secret.txt', '/index.html%00.css',
    '//etc/passwd', 'http://127.0.0.1/../secret.txt', '*',
    '/.env', '/.git/config', '/sub/.%2e/.env', '/%2eenv', '/sub', '/sub/',
  ];
  for (const path of paths) {
    const answer = await ask(port, path);
    if (path === '/sub/') {
      assert.equal(answer.status, 200);
      continue;
    }
    assert.ok([400, 403, 404].includes(answer.status), `${path}: ${answer.status}`);
    assert.doesNotMatch(answer.body, /SECRET|root:/, path);
    assert.equal(answer.headers['x-content-type-options'], 'nosniff', path);
  }
});

test('only requests for this machine by name, and only GET and HEAD', async (t) => {
  const port = await site(t);
  for (const host of [`127.0.0.1:${port}`, `localhost:${port}`, `[::1]:${port}`])
    assert.equal((await ask(port, '/', { host })).status, 200, host);
  for (const host of [`attacker.example:${port}`, 'localhost', `localhost:${port + 1}`, `127.0.0.2:${port}`,
    `localhost.attacker.example:${port}`, null])
    assert.ok([400, 403, 421].includes((await ask(port, '/', { host })).status), host);
  for (const method of ['POST', 'PUT', 'DELETE', 'PATCH', 'OPTIONS']) {
    const answer = await ask(port, '/index.html', { method });
    assert.equal(answer.status, 405, method);
    assert.equal(answer.headers.allow, 'GET, HEAD', method);
    assert.equal(answer.body, '', method);
  }
});
