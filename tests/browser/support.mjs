// Shared helpers of the browser tests: a real server on a free port over a
// copy of a program folder, and headless Chromium driven by playwright-core.
import { spawn } from 'node:child_process';
import { after, before } from 'node:test';
import { cpSync, existsSync, mkdtempSync, readFileSync, rmSync, mkdirSync, writeFileSync } from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
export const repoRoot = path.resolve(here, '..', '..');
// How long a test waits for a state it needs (a server up, an element
// shown) before it gives up: long enough for a machine under heavy load and
// a sanitizer build; only a real hang runs into it.
export const WAIT_MS = 120000;

// The screen of the demo venue's displays: its layouts cover this size.
export const SCREEN = { width: 1920, height: 1080 };

export const serverBinary =
  process.env.TESSARINE_BINARY || path.join(repoRoot, 'build', 'test', 'server', 'tessarine');

export async function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.unref();
    s.on('error', reject);
    s.listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

// A program folder: a copy of demo/ with the given port. The demo's other
// sections of the configuration (the match) stay as they are.
export function makeProgramFolder(port) {
  const dir = mkdtempSync(path.join(os.tmpdir(), 'tess-browser-'));
  cpSync(path.join(repoRoot, 'demo'), dir, { recursive: true });
  mkdirSync(path.join(dir, 'Config'), { recursive: true });
  const ini = path.join(dir, 'Config', 'tessarine.ini');
  const demoIni = existsSync(ini) ? readFileSync(ini, 'latin1') : '';
  const others = demoIni.split(/\r?\n(?=\[)/).filter((s) => s.trim() !== '' && !/^\[Settings\]/i.test(s.trim()));
  writeFileSync(
    ini,
    [`[Settings]\r\nport=${port}\r\npreloadTime=1200\r\nInaktivTime=300000\r\n`, ...others].join('\r\n'),
    'latin1',
  );
  return dir;
}

export class Server {
  constructor(folder, port) {
    this.folder = folder;
    this.port = port;
    this.log = '';
  }
  async start() {
    this.proc = spawn(serverBinary, [this.folder], { stdio: ['ignore', 'ignore', 'pipe'] });
    this.proc.stderr.on('data', (d) => { this.log += d.toString(); });
    const deadline = Date.now() + WAIT_MS;
    while (!this.log.includes(`on port ${this.port}`)) {
      if (Date.now() > deadline) throw new Error(`server did not start:\n${this.log}`);
      if (this.proc.exitCode !== null) throw new Error(`server exited:\n${this.log}`);
      await new Promise((r) => setTimeout(r, 50));
    }
  }
  async stop() {
    if (!this.proc || this.proc.exitCode !== null) return;
    const exited = new Promise((r) => this.proc.once('exit', r));
    this.proc.kill('SIGTERM');
    await exited;
  }
  url(query = '') {
    return `http://127.0.0.1:${this.port}/${query}`;
  }
}

export const harnessBinary =
  process.env.TESSARINE_HARNESS || path.join(repoRoot, 'build', 'test', 'tests', 'display_harness');

// The server with the test command line on stdin (tests/harness): display
// commands and session labels can be set from the test.
export class Harness {
  constructor(folder, port) {
    this.folder = folder;
    this.port = port;
    this.log = '';
    this.pending = [];
    this.buffer = '';
  }
  async start() {
    this.proc = spawn(harnessBinary, [this.folder], { stdio: ['pipe', 'pipe', 'pipe'] });
    this.proc.stderr.on('data', (d) => { this.log += d.toString(); });
    const ready = new Promise((resolve) => this.pending.push(resolve));
    this.proc.stdout.on('data', (d) => {
      this.buffer += d.toString();
      let nl;
      while ((nl = this.buffer.indexOf('\n')) >= 0) {
        const line = this.buffer.slice(0, nl);
        this.buffer = this.buffer.slice(nl + 1);
        const next = this.pending.shift();
        if (next) next(line);
      }
    });
    let timer;
    const first = await Promise.race([
      ready,
      new Promise((_, reject) => {
        timer = setTimeout(() => reject(new Error(`harness did not start:\n${this.log}`)), WAIT_MS);
      }),
    ]).finally(() => clearTimeout(timer));
    if (!first.startsWith('ready')) throw new Error(`harness: ${first}\n${this.log}`);
  }
  // One command line; resolves with the answer, rejects on "error ...".
  async send(line) {
    const answer = new Promise((resolve) => this.pending.push(resolve));
    this.proc.stdin.write(line + '\n');
    const a = await answer;
    if (a !== 'ok') throw new Error(`harness: ${line} -> ${a}`);
  }
  async stop() {
    if (!this.proc || this.proc.exitCode !== null) return;
    const exited = new Promise((r) => this.proc.once('exit', r));
    this.proc.stdin.end();
    await exited;
  }
  url(query = '') {
    return `http://127.0.0.1:${this.port}/${query}`;
  }
}

// The id of the session a page runs in, from its boot script.
export async function sessionId(page) {
  return page.evaluate(() => {
    for (const s of document.scripts) {
      const m = /"sid":"([0-9a-f]+)"/.exec(s.textContent);
      if (m) return m[1];
    }
    return '';
  });
}

// Playwright gives every launch a fresh temporary profile of its own.
// Every page it opens waits up to WAIT_MS for what a test asks of it.
export async function launchBrowser() {
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [
      '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--autoplay-policy=no-user-gesture-required',
    ],
  });
  const newPage = browser.newPage.bind(browser);
  browser.newPage = async (options) => {
    const page = await newPage(options);
    page.setDefaultTimeout(WAIT_MS);
    return page;
  };
  return browser;
}

export function removeFolder(dir) {
  rmSync(dir, { recursive: true, force: true });
}

// The element of a component by its name.
export function component(page, name) {
  return page.locator(`[data-component="${name}"]`).first();
}

// Opens the console, logs in and chooses a console tab by its caption.
export async function openConsoleTab(page, server, user, password, tab) {
  await page.goto(server.url('?start=tessarine'));
  await component(page, 'panLogin').waitFor({ state: 'visible' });
  await component(page, 'edtLoginUser').locator('input').fill(user);
  await component(page, 'edtLoginPW').locator('input').fill(password);
  await component(page, 'btnLoginOK').click();
  await page.locator('.tess-tab', { hasText: tab }).first().click();
}

// A component's place on the page: [left, top, width, height] in whole
// pixels, or null while it is not shown.
export async function componentBox(page, name) {
  const b = await component(page, name).boundingBox();
  return b && [b.x, b.y, b.width, b.height].map(Math.round);
}

// For the tests of one file: a program folder copied from the demo, its
// server (Server, or Harness for tests that issue commands) and headless
// Chromium, all ended after the tests. Read the fields inside the tests.
export function useProgramServer(Kind = Server) {
  const demo = { server: null, browser: null, folder: null };
  before(async () => {
    const port = await freePort();
    demo.folder = makeProgramFolder(port);
    demo.server = new Kind(demo.folder, port);
    await demo.server.start();
    demo.browser = await launchBrowser();
  });
  after(async () => {
    await demo.browser?.close();
    await demo.server?.stop();
    if (demo.folder) removeFolder(demo.folder);
  });
  return demo;
}
