// Browser tests of the client runtime (platform/client: the core, the
// control families and tessarine.css) in headless Chromium. A small stand-in server written here
// serves the page, the client files and Font Awesome, records every request
// and answers /ajax with the ops a test scripts. The page's clock is paused
// (Playwright's fake clock), so timers, debounces, retries and fades advance
// only when a test moves the clock.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { runtimeScripts } from '../support/runtime_files.mjs';
import { WAIT_MS } from './support.mjs';

const ROOT = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const CLIENT_DIR = path.join(ROOT, 'platform/client');
const FA_DIR = path.join(ROOT, 'node_modules/@fortawesome/fontawesome-free');
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const T0 = Date.UTC(2025, 0, 1, 10, 0, 0);
const RESIZE_DEBOUNCE = 200;

// ------------------------------------------------------------ tree builders

let lastId = 0;
function comp(cls, name, p = {}, ch = []) {
  const id = ++lastId;
  return { id, cls, name, js: 'O' + id.toString(16).toUpperCase(), p, ch };
}
function mainForm(ch, p = {}) {
  return comp('TUniForm', 'MainForm', { width: 800, height: 600, ...p }, ch);
}
// Every boot is its own session: a page closed by one test may still send
// its beacon while the next test runs.
let lastSid = 0;
function bootOf(forms, ops = [], config = {}) {
  return {
    sid: (++lastSid).toString(16).padStart(32, '0'),
    config: { errorMessage: 'Connection Error', retryMessage: 'Retrying...', disableContextMenu: true,
      disableRefresh: true, ...config },
    forms: Array.isArray(forms) ? forms : [forms],
    ops
  };
}
const button = (name, p = {}) => comp('TUniButton', name, { left: 10, top: 10, width: 80, height: 26, caption: name, ...p });

// ------------------------------------------------------------ stand-in server

function deferred() {
  let resolve;
  const promise = new Promise((r) => { resolve = r; });
  return { promise, resolve };
}

function pageHtml(boot) {
  const json = JSON.stringify(boot).replace(/</g, '\\u003c');
  return `<!DOCTYPE html><html><head><meta charset="utf-8"><title>j8 | Tessarine 2025</title>
<link rel="stylesheet" href="/client/fontawesome/css/all.min.css">
<link rel="stylesheet" href="/client/tessarine.css">
<style></style></head>
<body class="tess-theme-dark">
<div id="loading-mask"></div><div id="loading"><div class="loading-indicator">Tessarine loading...</div></div>
${runtimeScripts().map((file) => `<script src="/client/${file}"></script>`).join('\n')}
<script>Tess.boot(${json});</script></body></html>`;
}

function readBody(req) {
  return new Promise((resolve) => {
    const parts = [];
    req.on('data', (d) => parts.push(d));
    req.on('end', () => resolve(Buffer.concat(parts)));
  });
}

const TYPES = { '.js': 'text/javascript', '.css': 'text/css', '.woff2': 'font/woff2', '.woff': 'font/woff', '.ttf': 'font/ttf' };

function startServer() {
  const s = {
    requests: [], beacons: [], uploads: [], fileHits: [], pageLoads: 0, boot: null, handler: null, holdUploads: false,
    reset(boot) {
      this.requests = []; this.beacons = []; this.uploads = []; this.fileHits = [];
      this.pageLoads = 0; this.boot = boot; this.handler = null; this.holdUploads = false;
    },
    // Scripts the next answers: an array is a list of ops, a function
    // builds the answer (it may return a promise to hold the request).
    script(...replies) {
      const list = replies.slice();
      this.handler = (json) => {
        if (!list.length) return undefined;
        const r = list.shift();
        if (typeof r === 'function') return r(json);
        if (Array.isArray(r)) return { seq: json.seq, ops: r };
        return r;
      };
    },
    events() { return this.requests.flatMap((r) => r.json.events); },
    userEvents() { return this.events().filter((e) => e.t !== 'resize'); }
  };
  const send = (res, status, type, body) => {
    res.writeHead(status, { 'Content-Type': type, 'Cache-Control': 'no-store' });
    res.end(body);
  };
  s.http = http.createServer(async (req, res) => {
    const url = new URL(req.url, 'http://localhost');
    const body = await readBody(req);
    const p = url.pathname;
    if (req.method === 'GET' && p === '/') {
      s.pageLoads += 1;
      send(res, 200, 'text/html; charset=utf-8', pageHtml(typeof s.boot === 'function' ? s.boot(s.pageLoads) : s.boot));
    } else if (p.startsWith('/client/')) {
      const rel = decodeURIComponent(p.slice('/client/'.length));
      const file = rel.startsWith('fontawesome/') ? path.join(FA_DIR, rel.slice('fontawesome/'.length)) : path.join(CLIENT_DIR, rel);
      if (!fs.existsSync(file)) { send(res, 404, 'text/plain', 'missing'); return; }
      send(res, 200, TYPES[path.extname(file)] || 'application/octet-stream', fs.readFileSync(file));
    } else if (p === '/ajax/close') {
      s.beacons.push(body.toString());
      send(res, 200, 'text/plain', '');
    } else if (p === '/ajax') {
      const json = JSON.parse(body.toString());
      s.requests.push({ raw: body.toString(), json });
      let reply = s.handler ? await s.handler(json) : undefined;
      if (reply === undefined) reply = { seq: json.seq, ops: [] };
      if (reply.drop) { req.socket.destroy(); return; }
      if (reply.status) { send(res, reply.status, 'text/plain', reply.text || ''); return; }
      send(res, 200, 'application/json', JSON.stringify(reply));
    } else if (p.startsWith('/files/')) {
      s.fileHits.push(p);
      send(res, 200, 'text/html; charset=utf-8', '<!DOCTYPE html><p>' + p + '</p>');
    } else if (p === '/upload') {
      const text = body.toString('latin1');
      s.uploads.push({ query: Object.fromEntries(url.searchParams), text, type: req.headers['content-type'] || '' });
      if (s.holdUploads) return;  // never answered
      const names = [...text.matchAll(/filename="([^"]*)"/g)].map((m) => m[1]);
      send(res, 200, 'application/json', JSON.stringify({ files: names.map((n, i) => ({ name: n, cache: 'temp/up' + i })) }));
    } else {
      send(res, 404, 'text/plain', 'not found');
    }
  });
  return new Promise((resolve) => {
    s.http.listen(0, '127.0.0.1', () => {
      s.url = `http://127.0.0.1:${s.http.address().port}/`;
      resolve(s);
    });
  });
}

// ------------------------------------------------------------ browser helpers

let server;
let context;
let userDir;

before(async () => {
  server = await startServer();
  userDir = fs.mkdtempSync(path.join(os.tmpdir(), 'tess-browser-'));
  context = await chromium.launchPersistentContext(userDir, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 800, height: 600 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--autoplay-policy=no-user-gesture-required']
  });
  context.setDefaultTimeout(WAIT_MS);
  // Counts requests the moment the page starts them, so a test can tell
  // that nothing was sent without waiting.
  await context.addInitScript(() => {
    window.__fetches = 0;
    const f = window.fetch.bind(window);
    window.fetch = (...a) => { window.__fetches += 1; return f(...a); };
  });
});

after(async () => {
  if (context) await context.close();
  if (server) server.http.close();
  if (userDir) fs.rmSync(userDir, { recursive: true, force: true });
});

// Polls until the condition holds; the limit only ends a real hang, so a
// loaded machine is never mistaken for a fault.
async function waitFor(cond, what) {
  const deadline = Date.now() + WAIT_MS;
  while (Date.now() < deadline) {
    if (await cond()) return;
    await new Promise((r) => setTimeout(r, 10));
  }
  throw new Error('gave up waiting for ' + what);
}

const state = (page) => page.evaluate(() => Tess.state());
const fetches = (page) => page.evaluate(() => window.__fetches);

// Waits until the request in flight is the only thing going on.
async function settle1(page) {
  await waitFor(async () => { const s = await state(page); return s.inflight && !s.queued; }, 'one request in flight');
}

async function settle(page) {
  await waitFor(async () => { const s = await state(page); return !s.inflight && !s.queued; }, 'the client to be idle');
}

// Opens the page on a boot object; the first request (resize) is answered
// by `first` (ops, or a function) when given.
async function open(boot, { first, viewport, idle = true } = {}) {
  server.reset(boot);
  if (first !== undefined) server.script(first);
  const page = await context.newPage();
  page.errors = [];
  page.on('pageerror', (e) => page.errors.push(String(e)));
  if (viewport) await page.setViewportSize(viewport);
  // The installed clock runs in real time until it is paused, and pausing
  // cannot go back: the pause lies far enough ahead for a loaded machine.
  await page.clock.install({ time: T0 });
  await page.clock.pauseAt(T0 + 3600 * 1000);
  await page.goto(server.url);
  await waitFor(() => server.requests.length >= 1, 'the first request');
  if (idle) await settle(page);
  return page;
}

async function done(page) {
  const errors = page.errors;
  await page.close();
  assert.deepEqual(errors, [], 'page errors');
}

// Gets ops to the page: a window resize makes the client send a request,
// whose answer carries them.
async function apply(page, ops) {
  const n = server.requests.length;
  server.script(ops);
  await page.evaluate(() => window.dispatchEvent(new Event('resize')));
  await page.clock.runFor(RESIZE_DEBOUNCE);
  await waitFor(() => server.requests.length > n, 'the request carrying the ops');
  await settle(page);
}

// Clicks a sentinel button and waits for its event: whatever the client
// sent before it has arrived by then.
async function sentinel(page, js) {
  const n = server.requests.length;
  await page.evaluate((id) => document.getElementById(id).click(), js);
  await waitFor(() => server.requests.slice(n).some((r) => r.json.events.some((e) => e.t === 'click')), 'the sentinel click');
  await settle(page);
}

const rect = (page, js) => page.evaluate((id) => {
  const r = document.getElementById(id).getBoundingClientRect();
  return [r.left, r.top, r.width, r.height].map(Math.round);
}, js);

const text = (page, sel) => page.evaluate((s) => { const e = document.querySelector(s); return e ? e.textContent : null; }, sel);
const exists = (page, sel) => page.evaluate((s) => !!document.querySelector(s), sel);
const shown = (page, sel) => page.evaluate((s) => {
  const e = document.querySelector(s);
  return !!e && getComputedStyle(e).display !== 'none' && e.getClientRects().length > 0;
}, sel);

// ================================================================ rendering

describe('rendering', () => {
  test('every component element carries its name and client name; non-visual ones have only a client object', async () => {
    const sheet = comp('TUniTabSheet', 'tabOne', { caption: 'One' }, [comp('TUniLabel', 'lblOnSheet', { caption: 'x' })]);
    const visual = [
      comp('TUniPanel', 'panBack', { left: 0, top: 0, width: 300, height: 200 }, [comp('TUniLabel', 'lblInPanel', { caption: 'a' })]),
      button('btnGo'), comp('TUniSpeedButton', 'btnSpeed'), comp('TUniBitBtn', 'btnBit'),
      comp('TUniEdit', 'edtName'), comp('TUniSpinEdit', 'nrFrames'), comp('TUniMemo', 'memoLog'),
      comp('TUniCheckBox', 'chkEffect'), comp('TUniRadioButton', 'rad2h'), comp('TUniComboBox', 'cmbFrame'),
      comp('TUniListBox', 'listCont'), comp('TUniTreeView', 'treeCont'), comp('TUniImage', 'imgPreview'),
      comp('TUniURLFrame', 'urlTicker'), comp('TUniHTMLFrame', 'htmlBox'), comp('TUniStringGrid', 'Grid1'),
      comp('TUniPageControl', 'pageCont', {}, [sheet]), comp('TUniSplitter', 'spl', { align: 'left' }),
      comp('TUniFileUploadButton', 'dropZone')
    ];
    const nonVisual = [comp('TUniTimer', 'timerCMD', { enabled: false }), comp('TUniPopupMenu', 'popupDir'),
      comp('TUniNativeImageList', 'images16'), comp('TUniFileUpload', 'Upload1')];
    const form = mainForm([...visual, ...nonVisual]);
    const page = await open(bootOf(form));
    try {
      const all = [form, ...visual, visual[0].ch[0], sheet, sheet.ch[0]];
      for (const c of all) {
        const got = await page.evaluate((js) => {
          const e = document.getElementById(js);
          return e && { name: e.getAttribute('data-component'), same: window[js].el.dom === e };
        }, c.js);
        assert.deepEqual(got, { name: c.name, same: true }, c.cls);
      }
      for (const c of nonVisual) {
        const got = await page.evaluate((js) => [!!window[js], !!document.getElementById(js)], c.js);
        assert.deepEqual(got, [true, false], c.cls);
      }
      assert.equal(await exists(page, '#loading-mask'), false);
      assert.equal(await exists(page, '#loading'), false);
    } finally {
      await done(page);
    }
  });

  test('a grid with HTML columns named shows the other columns as text, also after an edit', async () => {
    const markup = '<b>bold</b> & co';
    const grid = comp('TUniStringGrid', 'Grid1', { left: 0, top: 0, width: 300, height: 100, cols: 2, rows: 1,
      fixedCols: 0, fixedRows: 0, html: true, htmlCols: [0], editable: true, cells: [[markup, markup]] });
    const page = await open(bootOf(mainForm([grid])));
    try {
      const cell = (col) => page.evaluate((s) => {
        const e = document.querySelector(s);
        return { text: e.textContent, bold: !!e.querySelector('b') };
      }, `#${grid.js} td[data-c="${col}"]`);
      assert.deepEqual(await cell(0), { text: 'bold & co', bold: true });
      assert.deepEqual(await cell(1), { text: markup, bold: false });
      await page.dblclick(`#${grid.js} td[data-c="1"]`);
      const input = page.locator(`#${grid.js} .tess-grid-editor`);
      assert.equal(await input.inputValue(), markup, 'edited as stored');
      await input.fill('<i>x</i>');
      await input.press('Enter');
      assert.deepEqual(await cell(1), { text: '<i>x</i>', bold: false });
    } finally {
      await done(page);
    }
  });

  test('texts are inserted as text unless the control is told they are HTML', async () => {
    const markup = '<b>bold</b> & co';
    const cases = [
      { cls: 'TUniLabel', prop: 'caption', sel: '' },
      { cls: 'TUniButton', prop: 'caption', sel: '' },
      { cls: 'TUniCheckBox', prop: 'caption', sel: ' .tess-check-caption' },
      { cls: 'TUniListBox', prop: 'items', value: [markup], sel: ' .tess-list-item' },
      { cls: 'TUniStringGrid', prop: 'cells', value: [[markup]], extra: { cols: 1, rows: 1 }, sel: ' td' }
    ];
    const nodes = [];
    for (const k of cases) {
      for (const html of [false, true]) {
        const c = comp(k.cls, `${k.cls}_${html}`, { top: nodes.length * 30, width: 200, height: 28, ...k.extra,
          [k.prop]: k.value || markup, html });
        nodes.push({ c, k, html });
      }
    }
    const page = await open(bootOf(mainForm(nodes.map((n) => n.c))));
    try {
      for (const { c, k, html } of nodes) {
        const got = await page.evaluate((s) => {
          const e = document.querySelector(s);
          return { text: e.textContent, bold: !!e.querySelector('b') };
        }, '#' + c.js + k.sel);
        assert.deepEqual(got, html ? { text: 'bold & co', bold: true } : { text: markup, bold: false }, `${k.cls} html=${html}`);
      }
    } finally {
      await done(page);
    }
  });

  test('edit properties become input attributes, with the field label on the left', async () => {
    const edt = comp('TUniEdit', 'edtLoginPW', { left: 20, top: 20, width: 300, height: 26, text: 'geheim', passwordChar: '*',
      emptyText: 'Password', maxLength: 8, readOnly: true, fieldLabel: 'Password:', labelWidth: 90 });
    const spin = comp('TUniSpinEdit', 'nrPlsFrames', { left: 20, top: 60, width: 100, height: 26, value: 2, min: 1, max: 5 });
    const page = await open(bootOf(mainForm([edt, spin])));
    try {
      const got = await page.evaluate(([e, s]) => {
        const input = document.querySelector('#' + e + ' input');
        const label = document.querySelector('#' + e + ' label');
        const num = document.querySelector('#' + s + ' input');
        return {
          value: input.value, type: input.type, placeholder: input.placeholder, maxLength: input.maxLength,
          readOnly: input.readOnly, label: label.textContent, labelWidth: Math.round(label.getBoundingClientRect().width),
          inputLeft: Math.round(input.getBoundingClientRect().left),
          spin: [num.type, num.value, num.min, num.max]
        };
      }, [edt.js, spin.js]);
      assert.deepEqual(got, {
        value: 'geheim', type: 'password', placeholder: 'Password', maxLength: 8, readOnly: true, label: 'Password:',
        labelWidth: 90, inputLeft: 110, spin: ['number', '2', '1', '5']
      });
    } finally {
      await done(page);
    }
  });

  test('string grid: titles above, hidden zero-width columns, fixed rows, stripes and the selection', async () => {
    const grid = comp('TUniStringGrid', 'GridFrame', { left: 0, top: 0, width: 400, height: 300, cols: 3, rows: 4,
      fixedRows: 1, colWidths: [50, 0, 120], titles: ['Nr', 'Hidden', 'Name'], striped: true, rowHeight: 28,
      selRow: 2, selCol: 2, cells: [['#', 'h', 'Head'], ['1', 'x', 'Intro'], ['2', 'y', 'Logo'], ['3', 'z', 'End']],
      // What the server's draw handler made of single cells.
      cellStyles: [[null, null, null], [null, null, { color: '#ffffff', background: '#ff0000', bold: true }], [null, null, null], [null, null, null]] });
    const page = await open(bootOf(mainForm([grid])));
    try {
      const got = await page.evaluate((js) => {
        const g = document.getElementById(js);
        return {
          titles: [...g.querySelectorAll('th')].map((e) => e.textContent),
          rows: [...g.querySelectorAll('tbody tr')].map((tr) => [...tr.cells].map((td) => td.textContent).join('|')),
          classes: [...g.querySelectorAll('tbody tr')].map((tr) => tr.className.trim()),
          selCell: g.querySelector('td.tess-selcell').textContent,
          drawn: (() => { const cs = getComputedStyle(g.querySelector('td[data-r="1"][data-c="2"]')); return [cs.color, cs.backgroundColor, cs.fontWeight]; })(),
          height: Math.round(g.querySelector('tbody tr').getBoundingClientRect().height)
        };
      }, grid.js);
      assert.deepEqual(got, {
        titles: ['Nr', 'Name'],
        rows: ['#|Head', '1|Intro', '2|Logo', '3|End'],
        classes: ['tess-fixed', '', 'tess-alt tess-sel', ''],
        selCell: 'Logo',
        drawn: ['rgb(255, 255, 255)', 'rgb(255, 0, 0)', '700'],
        height: 28
      });
    } finally {
      await done(page);
    }
  });
});

describe('pictures and frames', () => {
  test('an image is shown at its size, centred, stretched or fitted', async () => {
    const svg = 'data:image/svg+xml;base64,' + Buffer.from(
      '<svg xmlns="http://www.w3.org/2000/svg" width="100" height="50"><rect width="100" height="50" fill="red"/></svg>').toString('base64');
    const cases = [
      { p: {}, want: [0, 0, 100, 50, 'fill'] },
      { p: { center: true }, want: [50, 75, 100, 50, 'fill'] },
      { p: { stretch: true }, want: [0, 0, 200, 200, 'fill'] },
      { p: { stretch: true, proportional: true }, want: [0, 0, 200, 200, 'contain'] },
      { p: { proportional: true }, want: [0, 0, 100, 50, 'contain'] }
    ];
    const nodes = cases.map((k, i) => comp('TUniImage', 'img' + i, { left: i * 210, top: 0, width: 200, height: 200, picture: svg, ...k.p }));
    const page = await open(bootOf(mainForm(nodes, { width: 1100 })), { viewport: { width: 1100, height: 600 } });
    try {
      await waitFor(() => page.evaluate(() => [...document.images].every((i) => i.complete && i.naturalWidth)), 'the pictures');
      for (let i = 0; i < cases.length; i++) {
        const got = await page.evaluate((js) => {
          const box = document.getElementById(js).getBoundingClientRect();
          const img = document.querySelector('#' + js + ' img');
          const r = img.getBoundingClientRect();
          return [r.left - box.left, r.top - box.top, r.width, r.height].map(Math.round).concat(getComputedStyle(img).objectFit);
        }, nodes[i].js);
        assert.deepEqual(got, cases[i].want, JSON.stringify(cases[i].p));
      }
    } finally {
      await done(page);
    }
  });

  test('a URL frame loads its address, and loads it again when the same address is set', async () => {
    const frame = comp('TUniURLFrame', 'urlTCK', { left: 0, top: 0, width: 400, height: 100, url: 'files/tickerWP.html?10:00:00' });
    const page = await open(bootOf(mainForm([frame])));
    try {
      await waitFor(() => server.fileHits.length === 1, 'the first load');
      await apply(page, [{ op: 'set', c: frame.id, p: 'url', v: 'files/tickerWP.html?10:00:00' }]);
      await waitFor(() => server.fileHits.length === 2, 'the reload');
      await apply(page, [{ op: 'set', c: frame.id, p: 'url', v: 'files/other.html' }]);
      await waitFor(() => server.fileHits.length === 3, 'the new address');
      assert.deepEqual(server.fileHits, ['/files/tickerWP.html', '/files/tickerWP.html', '/files/other.html']);
    } finally {
      await done(page);
    }
  });
});

// =================================================================== layout

describe('layout', () => {
  test('aligned controls share the parent in VCL order and follow the window size', async () => {
    const top = comp('TUniPanel', 'panTop', { align: 'top', height: 50 });
    const bottom = comp('TUniMemo', 'memoLog', { align: 'bottom', height: 40 });
    const left = comp('TUniTreeView', 'treeCont', { align: 'left', width: 100 });
    const right = comp('TUniPanel', 'panRight', { align: 'right', width: 120 });
    const client = comp('TUniPanel', 'panClient', { align: 'client' }, [
      comp('TUniLabel', 'lblFill', { align: 'client', caption: 'fill' })]);
    // A client control listed first still gets only what is left.
    const page = await open(bootOf(mainForm([client, left, top, right, bottom])));
    try {
      const all = async () => Promise.all([top, bottom, left, right, client, client.ch[0]].map((c) => rect(page, c.js)));
      assert.deepEqual(await all(), [
        [0, 0, 800, 50], [0, 560, 800, 40], [0, 50, 100, 510], [680, 50, 120, 510], [100, 50, 580, 510], [100, 50, 580, 510]]);
      await page.setViewportSize({ width: 1000, height: 700 });
      await waitFor(async () => (await rect(page, top.js))[2] === 1000, 'the layout after the resize');
      assert.deepEqual(await all(), [
        [0, 0, 1000, 50], [0, 660, 1000, 40], [0, 50, 100, 610], [880, 50, 120, 610], [100, 50, 780, 610], [100, 50, 780, 610]]);
      // A hidden aligned control gives its space back.
      await apply(page, [{ op: 'set', c: top.id, p: 'visible', v: false }]);
      assert.deepEqual(await rect(page, left.js), [0, 0, 100, 660]);
      assert.deepEqual(await rect(page, client.js), [100, 0, 780, 660]);
    } finally {
      await done(page);
    }
  });

  test('anchors keep the distances to the edges of the design size', async () => {
    const cases = [
      { anchors: undefined, want: [100, 100, 200, 50] },
      { anchors: ['left', 'top'], want: [100, 100, 200, 50] },
      { anchors: ['top', 'right'], want: [300, 100, 200, 50] },
      { anchors: ['left', 'top', 'right'], want: [100, 100, 400, 50] },
      { anchors: ['left', 'top', 'right', 'bottom'], want: [100, 100, 400, 150] },
      { anchors: ['right', 'bottom'], want: [300, 200, 200, 50] },
      { anchors: ['top', 'right', 'bottom'], want: [300, 100, 200, 150] },
      { anchors: [], want: [200, 150, 200, 50] }
    ];
    const nodes = cases.map((k, i) => comp('TUniPanel', 'pan' + i,
      { left: 100, top: 100, width: 200, height: 50, ...(k.anchors ? { anchors: k.anchors } : {}) }));
    // The same inside an aligned panel without stored size, which takes the
    // form's design width.
    const inner = comp('TUniButton', 'UniButton1', { left: 700, top: 5, width: 90, height: 26, anchors: ['top', 'right'] });
    const bar = comp('TUniPanel', 'panTitle', { align: 'top', height: 36 }, [inner]);
    const page = await open(bootOf(mainForm([bar, ...nodes])), { viewport: { width: 800, height: 600 } });
    try {
      for (const n of nodes) assert.deepEqual(await rect(page, n.js), [100, 100, 200, 50], 'at the design size');
      assert.deepEqual(await rect(page, inner.js), [700, 5, 90, 26]);
      await page.setViewportSize({ width: 1000, height: 700 });
      await waitFor(async () => (await rect(page, inner.js))[0] === 900, 'the layout after the resize');
      for (let i = 0; i < cases.length; i++) {
        assert.deepEqual(await rect(page, nodes[i].js), cases[i].want, JSON.stringify(cases[i].anchors));
      }
    } finally {
      await done(page);
    }
  });

  test('panel title bar and border move the body; collapsing gives the space to the next control', async () => {
    const child = comp('TUniLabel', 'lblInside', { left: 0, top: 0, width: 50, height: 20, caption: 'in' });
    const titled = comp('TUniPanel', 'panVerlauf', { align: 'top', height: 200, title: 'Spielverlauf Heim', collapsible: true,
      borderStyle: 'single', tools: [{ id: 0, icon: 'arrow_down' }, { id: 1, icon: 'arrow_up' }] }, [child]);
    const rest = comp('TUniPanel', 'panRest', { align: 'client' });
    const page = await open(bootOf(mainForm([titled, rest])));
    try {
      assert.deepEqual(await rect(page, child.js), [1, 27, 50, 20]);
      assert.equal(await text(page, `#${titled.js} .tess-panel-title-text`), 'Spielverlauf Heim');
      await page.click(`#${titled.js} .tess-tool >> nth=1`);
      await waitFor(() => server.userEvents().length === 1, 'the tool event');
      assert.deepEqual(server.userEvents(), [{ t: 'tool', c: titled.id, tool: 1 }]);
      await page.click(`#${titled.js} .tess-collapse`);
      assert.deepEqual(await rect(page, titled.js), [0, 0, 800, 28]);
      assert.deepEqual(await rect(page, rest.js), [0, 28, 800, 572]);
    } finally {
      await done(page);
    }
  });

  test('a draggable panel and a dialog move with the mouse', async () => {
    const pan = comp('TUniPanel', 'UniPanel5', { left: 100, top: 100, width: 200, height: 150, title: 'Quickstart', draggable: true });
    const fixed = comp('TUniPanel', 'panFixed', { left: 400, top: 100, width: 200, height: 150, title: 'Fixed' });
    const dlg = comp('TUniDialog', 'frmMedium', { caption: 'Medium', width: 300, height: 100 });
    const page = await open(bootOf(mainForm([pan, fixed])));
    const drag = async (x, y, dx, dy) => {
      await page.mouse.move(x, y);
      await page.mouse.down();
      await page.mouse.move(x + dx / 2, y + dy / 2);
      await page.mouse.move(x + dx, y + dy);
      await page.mouse.up();
    };
    try {
      await drag(150, 110, 40, 30);
      await drag(450, 110, 40, 30);
      assert.deepEqual(await rect(page, pan.js), [140, 130, 200, 150]);
      assert.deepEqual(await rect(page, fixed.js), [400, 100, 200, 150]);
      await apply(page, [{ op: 'create', parent: null, index: 0, node: dlg }]);
      const [x, y] = await rect(page, dlg.js);
      await drag(x + 50, y + 10, -60, 25);
      assert.deepEqual(await rect(page, dlg.js), [x - 60, y + 25, 300, 130]);
    } finally {
      await done(page);
    }
  });

  test('dragging a splitter resizes the control before it and sends nothing', async () => {
    const tree = comp('TUniTreeView', 'treeCont', { align: 'left', width: 200 });
    const split = comp('TUniSplitter', 'UniSplitter1', { align: 'left', width: 6 });
    const list = comp('TUniListBox', 'listCont', { align: 'client' });
    const probe = button('btnProbe', { left: 700, top: 500 });
    const page = await open(bootOf(mainForm([tree, split, list, probe])));
    try {
      const [x, y] = await rect(page, split.js);
      await page.mouse.move(x + 3, y + 100);
      await page.mouse.down();
      await page.mouse.move(x + 53, y + 120);
      await page.mouse.up();
      assert.deepEqual(await rect(page, tree.js), [0, 0, 250, 600]);
      assert.deepEqual(await rect(page, split.js), [250, 0, 6, 600]);
      assert.deepEqual(await rect(page, list.js), [256, 0, 544, 600]);
      await sentinel(page, probe.js);
      assert.deepEqual(server.userEvents(), [{ t: 'click', c: probe.id }]);
    } finally {
      await done(page);
    }
  });
});

// ====================================================================== ops

describe('ops', () => {
  test('create, set, front, destroy and js run in order', async () => {
    const a = comp('TUniLabel', 'lblA', { caption: 'A' });
    const b = comp('TUniLabel', 'lblB', { caption: 'B' });
    const pan = comp('TUniPanel', 'panBack', { left: 0, top: 0, width: 400, height: 300 }, [a, b]);
    const made = comp('TUniLabel', 'ButtonSlave1_0', { caption: 'new', left: 5, top: 5, width: 60, height: 20 });
    const page = await open(bootOf(mainForm([pan])), {
      first: [
        { op: 'create', parent: pan.id, index: 0, node: made },
        { op: 'set', c: made.id, p: 'caption', v: 'changed' },
        { op: 'front', c: a.id },
        { op: 'destroy', c: b.id },
        { op: 'js', code: 'throw new Error("a failing script")' },
        { op: 'js', code: `var tessGlobal = ${made.js}.el.dom.textContent;` },
        { op: 'set', c: a.id, p: 'caption', v: 'after the script' }
      ]
    });
    try {
      const got = await page.evaluate(([p, bjs]) => ({
        order: [...document.getElementById(p).querySelector('.tess-panel-body').children]
          .filter((e) => e.hasAttribute('data-component')).map((e) => e.getAttribute('data-component')),
        gone: [!!document.getElementById(bjs), typeof window[bjs]],
        global: window.tessGlobal
      }), [pan.js, b.js]);
      assert.deepEqual(got, { order: ['ButtonSlave1_0', 'lblA'], gone: [false, 'undefined'], global: 'changed' });
      assert.equal(await text(page, '#' + a.js), 'after the script');

      await page.evaluate(() => { window.opened = []; window.open = (...a) => { window.opened.push(a); return null; }; });
      await apply(page, [
        { op: 'set', c: pan.id, p: 'color', v: '#112233' },
        { op: 'js', code: `${pan.js}.setBodyStyle("background", "transparent");` },
        { op: 'js', code: `${pan.js}.setBodyStyle("background-image", 'url("Containers/Menus/bg.png")');` },
        { op: 'window', url: 'Containers/Clips/x.mp4', target: '_blank', options: 'resizable=yes,status=yes,scrollbars=no,menubar=no,location=no' }
      ]);
      const after = await page.evaluate((p) => {
        const body = getComputedStyle(document.getElementById(p).querySelector('.tess-panel-body'));
        return { bg: body.backgroundColor, img: body.backgroundImage.replace(/^.*\/Containers/, 'Containers'), opened: window.opened };
      }, pan.js);
      assert.deepEqual(after, { bg: 'rgba(0, 0, 0, 0)', img: 'Containers/Menus/bg.png")', opened: [
        ['Containers/Clips/x.mp4', '_blank', 'resizable=yes,status=yes,scrollbars=no,menubar=no,location=no']] });
    } finally {
      await done(page);
    }
  });

  test('fadeOut ends hidden with its box kept, fadeIn shows again; a caption change keeps the element', async () => {
    const lbl = comp('TUniLabel', 'lblF1A', { left: 10, top: 10, width: 300, height: 100, caption: 'one', html: true });
    const page = await open(bootOf(mainForm([lbl])));
    const look = () => page.evaluate((js) => {
      const e = document.getElementById(js);
      const cs = getComputedStyle(e);
      return { opacity: Number(cs.opacity), visibility: cs.visibility, width: e.offsetWidth, same: e === window[js].el.dom };
    }, lbl.js);
    try {
      await apply(page, [{ op: 'set', c: lbl.id, p: 'caption', v: '<img class="contain" src="x.png">' },
        { op: 'js', code: `${lbl.js}.el.fadeOut({duration: 700});` }]);
      await page.clock.runFor(350);
      const mid = await look();
      assert.ok(mid.opacity > 0 && mid.opacity < 1, 'half way: ' + mid.opacity);
      await page.clock.runFor(400);
      assert.deepEqual(await look(), { opacity: 0, visibility: 'hidden', width: 300, same: true });
      await apply(page, [{ op: 'js', code: `${lbl.js}.el.fadeIn({duration: 1000});` }]);
      await page.clock.runFor(1100);
      assert.deepEqual(await look(), { opacity: 1, visibility: 'visible', width: 300, same: true });
    } finally {
      await done(page);
    }
  });

  test('grid cell changes wait while the store is suspended and show after the refresh', async () => {
    const grid = comp('TUniStringGrid', 'Grid1', { left: 0, top: 0, width: 300, height: 200, cols: 2, rows: 2,
      cells: [['a', 'b'], ['c', 'd']] });
    const page = await open(bootOf(mainForm([grid])));
    const cells = () => page.evaluate((js) => [...document.querySelectorAll('#' + js + ' td')].map((e) => e.textContent), grid.js);
    try {
      await apply(page, [
        { op: 'js', code: `${grid.js}.store.suspendEvents();` },
        { op: 'cell', c: grid.id, col: 1, row: 0, v: 'B' },
        { op: 'set', c: grid.id, p: 'rows', v: 3 },
        { op: 'cell', c: grid.id, col: 0, row: 2, v: 'e' }
      ]);
      assert.deepEqual(await cells(), ['a', 'b', 'c', 'd']);
      await apply(page, [{ op: 'js', code: `${grid.js}.store.resumeEvents()` }, { op: 'js', code: `${grid.js}.view.refresh()` }]);
      assert.deepEqual(await cells(), ['a', 'B', 'c', 'd', 'e', '']);
      // Not suspended: a single cell shows at once.
      await apply(page, [{ op: 'cell', c: grid.id, col: 1, row: 2, v: 'f' }]);
      assert.deepEqual(await cells(), ['a', 'B', 'c', 'd', 'e', 'f']);
    } finally {
      await done(page);
    }
  });

  test('a memo takes edits at the ends of its lines, and a full value replaces them', async () => {
    const memo = comp('TUniMemo', 'memoLog', { left: 0, top: 0, width: 300, height: 100, lines: ['one'] });
    const page = await open(bootOf(mainForm([memo])));
    const value = () => page.inputValue(`#${memo.js} textarea`);
    try {
      await apply(page, [
        { op: 'set', c: memo.id, p: 'lines', v: { append: ['two'] } },
        { op: 'set', c: memo.id, p: 'lines', v: { append: ['three', 'four'] } }
      ]);
      assert.equal(await value(), 'one\ntwo\nthree\nfour');
      await apply(page, [{ op: 'set', c: memo.id, p: 'lines', v: ['x'] }, { op: 'set', c: memo.id, p: 'lines', v: { append: ['y'] } }]);
      assert.equal(await value(), 'x\ny');
      // Edits at both ends, as a bounded log sends them.
      const cases = [
        [['a', 'bb', 'ccc'], { drop: 1, append: ['dddd'] }, 'bb\nccc\ndddd'],
        [['a', 'bb', 'ccc'], { keep: 2, append: ['C (x 2)'] }, 'a\nbb\nC (x 2)'],
        [['a', 'bb', 'ccc'], { drop: 1, keep: 1, append: ['x', 'y'] }, 'bb\nx\ny'],
        [['a', 'bb', 'ccc'], { drop: 2, keep: 0, append: ['z'] }, 'z'],
        [['a', 'bb', 'ccc'], { drop: 3, append: [] }, ''],
        [[], { append: ['first'] }, 'first'],
        [['', '', 'x'], { drop: 1, append: [''] }, '\nx\n'],
      ];
      for (const [before, edit, after] of cases) {
        await apply(page, [{ op: 'set', c: memo.id, p: 'lines', v: before }, { op: 'set', c: memo.id, p: 'lines', v: edit }]);
        assert.equal(await value(), after, JSON.stringify([before, edit]));
        const lines = await page.evaluate((id) => Tess.component(id).p.lines, memo.id);
        assert.equal(lines.join('\n'), after, JSON.stringify([before, edit]));
      }
      // A text the user changed is set whole.
      await apply(page, [{ op: 'set', c: memo.id, p: 'lines', v: ['a', 'b'] }]);
      await page.fill(`#${memo.js} textarea`, 'typed');
      await apply(page, [{ op: 'set', c: memo.id, p: 'lines', v: { drop: 1, append: ['c'] } }]);
      assert.equal(await value(), 'b\nc');
    } finally {
      await done(page);
    }
  });

  test('toasts: the framework toast is text, Ext.toast is HTML; both close by themselves', async () => {
    const page = await open(bootOf(mainForm([])), {
      first: [{ op: 'toast', text: 'Error Load <spielstand.xml>!' },
        { op: 'js', code: 'Ext.toast({html: "Info: <b>Please select medium ...</b>", header: false, autoCloseDelay: 5000});' }]
    });
    try {
      const toasts = () => page.evaluate(() => [...document.querySelectorAll('.tess-toast')].map((e) => e.innerHTML.includes('<b>') + ':' + e.textContent));
      assert.deepEqual(await toasts(), ['false:Error Load <spielstand.xml>!', 'true:Info: Please select medium ...']);
      await page.clock.runFor(3400);
      assert.deepEqual(await toasts(), ['true:Info: Please select medium ...']);
      await page.clock.runFor(2000);
      assert.deepEqual(await toasts(), []);
    } finally {
      await done(page);
    }
  });

  test('message boxes, confirmations and prompts answer with the button, Esc answers close', async () => {
    const cases = [
      { op: { kind: 'message', text: 'Wrong user!', icon: 'info' }, buttons: ['OK'], act: 'click:ok', answer: { r: 'ok', text: '' } },
      { op: { kind: 'confirm', text: 'Neues Spiel starten ?', icon: 'question' }, buttons: ['Yes', 'No'], act: 'click:no', answer: { r: 'no', text: '' } },
      { op: { kind: 'confirm', text: 'Spielbericht löschen ?', icon: 'question' }, buttons: ['Yes', 'No'], act: 'esc', answer: { r: 'close', text: '' } },
      { op: { kind: 'prompt', text: 'Set Time', def: '00:10', icon: 'info' }, buttons: ['OK', 'Cancel'], act: 'type', answer: { r: 'ok', text: '00:25' } },
      { op: { kind: 'prompt', text: 'Delete Directory.', def: 'Clips', icon: 'info' }, buttons: ['OK', 'Cancel'], act: 'click:cancel', answer: { r: 'cancel', text: 'Clips' } }
    ];
    const page = await open(bootOf(mainForm([])));
    try {
      for (let i = 0; i < cases.length; i++) {
        const k = cases[i];
        await apply(page, [{ op: 'box', box: 100 + i, ...k.op }]);
        const seen = await page.evaluate(() => ({
          text: document.querySelector('.tess-box .tess-box-text').textContent,
          buttons: [...document.querySelectorAll('.tess-box button')].map((b) => b.textContent),
          mask: !!document.querySelector('.tess-box-mask')
        }));
        assert.deepEqual(seen, { text: k.op.text, buttons: k.buttons, mask: true }, k.op.text);
        const n = server.requests.length;
        if (k.act === 'esc') await page.keyboard.press('Escape');
        else if (k.act === 'type') { await page.fill('.tess-box input', '00:25'); await page.keyboard.press('Enter'); }
        else await page.click(`.tess-box button[data-r="${k.act.slice(6)}"]`);
        await waitFor(() => server.requests.slice(n).some((r) => r.json.events.some((e) => e.t === 'answer')), 'the answer');
        await settle(page);
        const answer = server.events().filter((e) => e.t === 'answer').pop();
        assert.deepEqual(answer, { t: 'answer', box: 100 + i, ...k.answer }, k.op.text);
        assert.equal(await exists(page, '.tess-box'), false);
      }
    } finally {
      await done(page);
    }
  });

  test('an error report is a box with OK only that answers nothing', async () => {
    const probe = button('btnProbe');
    const page = await open(bootOf(mainForm([probe])), { first: [{ op: 'error', text: 'List index out of bounds (3)' }] });
    try {
      assert.equal(await text(page, '.tess-box .tess-box-text'), 'List index out of bounds (3)');
      await page.click('.tess-box button');
      assert.equal(await exists(page, '.tess-box'), false);
      await sentinel(page, probe.js);
      assert.deepEqual(server.userEvents(), [{ t: 'click', c: probe.id }]);
    } finally {
      await done(page);
    }
  });

  test('popup menu: icons, separators, sub-menus on hover; a choice sends the item, a click outside only closes', async () => {
    const images = comp('TUniNativeImageList', 'UniNativeImageList16', { images: ['fas fa-folder', 'fas fa-check-circle'] });
    const menu = comp('TUniPopupMenu', 'popupPLS', { images: images.id, menu: [
      { id: 501, caption: 'Play', image: 0 },
      { id: 502, caption: 'Delete' },
      { id: 503, separator: true },
      { id: 504, caption: '-' },
      { id: 505, caption: 'to All', children: [{ id: 506, caption: 'Set Time', image: 1 }, { id: 507, caption: 'Set Effect' }] }
    ] });
    const probe = button('btnProbe', { left: 600, top: 500 });
    const grid = comp('TUniStringGrid', 'Grid1', { left: 200, top: 150, width: 300, height: 200 });
    const page = await open(bootOf(mainForm([images, menu, probe, grid])), { first: [{ op: 'popup', c: menu.id, x: 120, y: 80 }] });
    try {
      const top = await page.evaluate(() => {
        const m = document.querySelector('.tess-menu');
        const r = m.getBoundingClientRect();
        return {
          at: [Math.round(r.left), Math.round(r.top)],
          rows: [...m.children].map((e) => e.classList.contains('tess-menu-sep') ? '-' : e.textContent),
          icon: m.querySelector('[data-item="501"] i').className
        };
      });
      assert.deepEqual(top, { at: [120, 80], rows: ['Play', 'Delete', '-', '-', 'to All'], icon: 'tess-icon fas fa-folder' });
      await page.hover('[data-item="505"]');
      await page.click('[data-item="506"]');
      await waitFor(() => server.userEvents().length === 1, 'the menu event');
      assert.deepEqual(server.userEvents(), [{ t: 'menu', c: 506 }]);
      assert.equal(await exists(page, '.tess-menu'), false);

      // Coordinates relative to a control.
      await apply(page, [{ op: 'popup', c: menu.id, x: 30, y: 40, at: grid.id }]);
      const at = await page.evaluate(() => {
        const r = document.querySelector('.tess-menu').getBoundingClientRect();
        return [Math.round(r.left), Math.round(r.top)];
      });
      assert.deepEqual(at, [230, 190]);
      await page.mouse.click(700, 50);
      assert.equal(await exists(page, '.tess-menu'), false);
      await sentinel(page, probe.js);
      assert.deepEqual(server.userEvents().slice(1), [{ t: 'click', c: probe.id }]);
    } finally {
      await done(page);
    }
  });

  test('page control: tabs of the visible sheets, a tab click sends activePage, the server switches too', async () => {
    const s1 = comp('TUniTabSheet', 'tabLogin', { caption: 'Login' }, [comp('TUniLabel', 'lblOne', { caption: 'one' })]);
    const s2 = comp('TUniTabSheet', 'tabSpielstand', { caption: '<i class="fas fa-image"></i> Spielstand' });
    const s3 = comp('TUniTabSheet', 'tabTest', { caption: 'Test', tabVisible: false });
    const pc = comp('TUniPageControl', 'UniPageControl3', { align: 'client', activePage: s1.id }, [s1, s2, s3]);
    const page = await open(bootOf(mainForm([pc])));
    const view = () => page.evaluate(([p, a, b, c]) => ({
      tabs: [...document.querySelectorAll('#' + p + ' .tess-tab')].map((t) => t.textContent.trim() + (t.classList.contains('tess-tab-active') ? '*' : '')),
      shown: [a, b, c].map((id) => getComputedStyle(document.getElementById(id)).display !== 'none'),
      bar: getComputedStyle(document.querySelector('#' + p + ' .tess-tabbar')).display !== 'none'
    }), [pc.js, s1.js, s2.js, s3.js]);
    try {
      assert.deepEqual(await view(), { tabs: ['Login*', 'Spielstand'], shown: [true, false, false], bar: true });
      assert.equal(await exists(page, `#${pc.js} .tess-tab i.fa-image`), true);
      assert.deepEqual(await rect(page, s1.js), [0, 28, 800, 572]);
      await page.click(`#${pc.js} .tess-tab >> nth=1`);
      await waitFor(() => server.userEvents().length === 1, 'the change event');
      assert.deepEqual(server.userEvents(), [{ t: 'change', c: pc.id, p: 'activePage', v: s2.id }]);
      assert.deepEqual(await view(), { tabs: ['Login', 'Spielstand*'], shown: [false, true, false], bar: true });
      // A page whose tab is hidden can still be selected; without the tab
      // bar the sheets take the whole control.
      await apply(page, [{ op: 'set', c: pc.id, p: 'activePage', v: s3.id }, { op: 'set', c: pc.id, p: 'tabsVisible', v: false }]);
      assert.deepEqual(await view(), { tabs: ['Login', 'Spielstand'], shown: [false, false, true], bar: false });
      assert.deepEqual(await rect(page, s3.js), [0, 0, 800, 600]);
    } finally {
      await done(page);
    }
  });

  test('terminate replaces the document and stops requests and timers', async () => {
    const timer = comp('TUniTimer', 'timerCMD', { interval: 800, enabled: true });
    const page = await open(bootOf(mainForm([timer])), {
      first: [{ op: 'terminate', html: '<!DOCTYPE html><html><body><p id="bye">Tessarine session terminated.</p></body></html>' }]
    });
    try {
      assert.equal(await text(page, '#bye'), 'Tessarine session terminated.');
      assert.equal(await exists(page, '[data-component]'), false);
      const before = await fetches(page);
      await page.clock.runFor(5000);
      await page.keyboard.press('F3');
      assert.equal(await fetches(page), before);
      assert.deepEqual(await state(page), { seq: 1, queued: 0, inflight: false, terminated: true });
    } finally {
      await done(page);
    }
  });

  test('a dialog form floats centred over a modal mask; its X sends close, destroy removes it', async () => {
    const edit = comp('TUniEdit', 'edtUhrKorr', { left: 10, top: 10, width: 200, height: 24 });
    const dlg = comp('TUniDialog', 'frmUhr', { caption: 'Spieluhr', width: 400, height: 200, modal: true }, [edit]);
    const page = await open(bootOf(mainForm([])), { first: [{ op: 'create', parent: null, index: 0, node: dlg }] });
    try {
      assert.deepEqual(await rect(page, dlg.js), [200, 185, 400, 230]);
      assert.deepEqual(await rect(page, edit.js), [210, 225, 200, 24]);
      assert.equal(await text(page, `#${dlg.js} .tess-window-caption`), 'Spieluhr');
      assert.equal(await shown(page, '.tess-modal-mask'), true);
      assert.equal(await page.evaluate(() => document.activeElement && document.activeElement.closest('[data-component]')
        && document.activeElement.closest('[data-component]').getAttribute('data-component')), 'edtUhrKorr',
        'the modal dialog takes the focus');
      await page.click(`#${dlg.js} .tess-window-close`);
      await waitFor(() => server.userEvents().length === 1, 'the close event');
      assert.deepEqual(server.userEvents(), [{ t: 'close', c: dlg.id }]);
      await apply(page, [{ op: 'destroy', c: dlg.id }]);
      assert.equal(await exists(page, '#' + dlg.js), false);
      assert.equal(await exists(page, '.tess-modal-mask'), false);
    } finally {
      await done(page);
    }
  });
});

// ======================================================= requests and queue

describe('requests', () => {
  test('one request at a time: events wait in order, the focused input\'s change goes before the click', async () => {
    const a = button('btnA', { left: 10 });
    const edit = comp('TUniEdit', 'edtTckText', { left: 10, top: 60, width: 200, height: 24, text: 'old' });
    const b = button('btnB', { left: 110 });
    const gate = deferred();
    const boot = bootOf(mainForm([a, edit, b]));
    const page = await open(boot, { first: () => gate.promise.then(() => undefined), idle: false });
    try {
      assert.deepEqual(server.requests[0].json, { sid: boot.sid, seq: 1, events: [{ t: 'resize', w: 800, h: 600 }] });
      await page.click('#' + a.js);
      await page.click(`#${edit.js} input`);
      await page.keyboard.press('Control+A');
      await page.keyboard.type('Tor!');
      // The click comes from a script, so no blur happens first.
      await page.evaluate((id) => document.getElementById(id).click(), b.js);
      assert.equal(await fetches(page), 1);
      gate.resolve();
      await waitFor(() => server.requests.length === 2, 'the second request');
      await settle(page);
      const events = server.requests[1].json.events.filter((e) => e.t !== 'key');
      assert.equal(server.requests[1].json.seq, 2);
      assert.deepEqual(events, [
        { t: 'click', c: a.id },
        { t: 'change', c: edit.id, p: 'text', v: 'Tor!' },
        { t: 'click', c: b.id }
      ]);
    } finally {
      await done(page);
    }
  });

  test('a timer tick is never queued twice; enabled and interval changes restart the countdown and drop a waiting tick', async () => {
    const timer = comp('TUniTimer', 'timerCMD', { interval: 1000 });
    const gates = [deferred(), deferred()];
    const held = (g, ops = []) => (json) => g.promise.then(() => ({ seq: json.seq, ops }));
    const page = await open(bootOf(mainForm([timer])), {
      first: held(gates[0]), idle: false
    });
    try {
      server.script(held(gates[1], [{ op: 'set', c: timer.id, p: 'enabled', v: false }]));
      await page.clock.runFor(1000);
      assert.deepEqual(await state(page), { seq: 1, queued: 1, inflight: true, terminated: false });
      await page.clock.runFor(3000);
      assert.deepEqual(await state(page), { seq: 1, queued: 1, inflight: true, terminated: false });
      gates[0].resolve();
      await waitFor(() => server.requests.length === 2, 'the tick request');
      assert.deepEqual(server.requests[1].json.events, [{ t: 'timer', c: timer.id }]);
      // The tick in flight is not waiting any more: the next one queues.
      await settle1(page);
      await page.clock.runFor(1000);
      assert.deepEqual(await state(page), { seq: 2, queued: 1, inflight: true, terminated: false });
      // The answer switched the timer off: the tick that waited behind it
      // was due under the old setting and is dropped, not sent.
      gates[1].resolve();
      await settle(page);
      assert.equal(server.requests.length, 2);
      const before = await fetches(page);
      await page.clock.runFor(5000);
      assert.equal(await fetches(page), before);
      // Switched on with a new interval: counts from the change.
      await apply(page, [{ op: 'set', c: timer.id, p: 'interval', v: 500 }, { op: 'set', c: timer.id, p: 'enabled', v: true }]);
      const n = await fetches(page);
      await page.clock.runFor(499);
      assert.equal(await fetches(page), n);
      await page.clock.runFor(1);
      assert.equal(await fetches(page), n + 1);
      await settle(page);
      assert.deepEqual(server.requests.at(-1).json.events, [{ t: 'timer', c: timer.id }]);
      // A short interval that the answer to its tick lengthens (a display
      // frame going from its restart to the item's duration): the tick
      // that came due meanwhile is dropped, the next comes after the new
      // interval.
      const gate = deferred();
      server.script(held(gate, [{ op: 'set', c: timer.id, p: 'interval', v: 8800 }]));
      const sent = server.requests.length;
      await page.clock.runFor(500);
      await settle1(page);
      await page.clock.runFor(500);
      assert.deepEqual(await state(page), { seq: sent + 1, queued: 1, inflight: true, terminated: false });
      gate.resolve();
      await settle(page);
      assert.equal(server.requests.length, sent + 1);
      await page.clock.runFor(8799);
      assert.equal(server.requests.length, sent + 1);
      await page.clock.runFor(1);
      await waitFor(() => server.requests.length === sent + 2, 'the tick after the new interval');
      assert.deepEqual(server.requests.at(-1).json.events, [{ t: 'timer', c: timer.id }]);
      await settle(page);
    } finally {
      await done(page);
    }
  });

  test('a page watched by an audience gets a small notice in a corner instead of the mask', async () => {
    const lbl = comp('TUniLabel', 'lblF1A', { caption: 'playing', align: 'client' });
    const btn = button('btnPlay', { top: 50 });
    const page = await open(bootOf(mainForm([lbl, btn]), [], { retryNotice: 'corner' }));
    try {
      server.handler = () => ({ drop: true });
      await page.click('#' + btn.js);
      await waitFor(() => shown(page, '#tess-retry'), 'the retry notice');
      const box = await page.evaluate(() => {
        const r = document.getElementById('tess-retry').getBoundingClientRect();
        return { w: r.width, h: r.height, right: window.innerWidth - r.right, bottom: window.innerHeight - r.bottom,
          background: getComputedStyle(document.getElementById('tess-retry')).backgroundColor };
      });
      assert.ok(box.w < 200 && box.h < 60, `a small notice (${box.w} x ${box.h})`);
      assert.ok(box.right < 20 && box.bottom < 20, 'in the bottom right corner');
      assert.equal(box.background, 'rgba(0, 0, 0, 0)', 'nothing dims the page');
      assert.equal(await text(page, '#' + lbl.js), 'playing');
    } finally {
      server.handler = null;
      await done(page);
    }
  });

  for (const failure of [{ name: 'a dropped connection', reply: { drop: true } }, { name: 'HTTP 503', reply: { status: 503 } }]) {
    test(`after ${failure.name} the same request is sent again every 2 s under the retry overlay`, async () => {
      const lbl = comp('TUniLabel', 'lblPlay', { caption: 'before' });
      const btn = button('btnPlay', { top: 50 });
      const boot = bootOf(mainForm([lbl, btn]));
      const page = await open(boot);
      try {
        let failing = true;
        server.handler = (json) => (failing ? failure.reply
          : { seq: json.seq, ops: [{ op: 'set', c: lbl.id, p: 'caption', v: lbl.name + ' ' + json.seq }] });
        await page.click('#' + btn.js);
        await waitFor(() => shown(page, '#tess-retry'), 'the retry overlay');
        assert.equal(await text(page, '#tess-retry'), 'Connection ErrorRetrying...');
        // (Chromium itself may repeat a request whose connection dropped;
        // the count only grows.)
        const n = server.requests.length;
        await page.clock.runFor(2000);
        await waitFor(() => server.requests.length > n, 'the first retry');
        assert.equal(await shown(page, '#tess-retry'), true);
        failing = false;
        await page.clock.runFor(2000);
        await waitFor(() => page.evaluate(() => !Tess.state().inflight), 'the answered retry');
        const bodies = server.requests.slice(1).map((r) => r.raw);
        assert.equal(new Set(bodies).size, 1, 'the same body each time');
        assert.deepEqual(server.requests[1].json, { sid: boot.sid, seq: 2, events: [{ t: 'click', c: btn.id }] });
        assert.equal(await shown(page, '#tess-retry'), false);
        assert.equal(await text(page, '#' + lbl.js), 'lblPlay 2');
      } finally {
        await done(page);
      }
    });
  }

  for (const k of [{ name: 'a gone session', first: { gone: true } }, { name: 'the reload op', first: [{ op: 'reload' }] }]) {
    test(`${k.name} reloads the page, which starts anew`, async () => {
      const page = await open((n) => bootOf(mainForm([comp('TUniLabel', 'lblLoad', { caption: 'load ' + n })])),
        { first: k.first, idle: false });
      try {
        await waitFor(() => server.pageLoads === 2 && server.requests.length === 2, 'the new page');
        await settle(page);
        assert.equal(await text(page, '[data-component="lblLoad"]'), 'load 2');
        const [first, second] = server.requests.map((r) => r.json);
        assert.notEqual(first.sid, second.sid);
        assert.equal(second.seq, 1);
        // The old session is over already; the reload sends no beacon for it.
        assert.deepEqual(server.beacons.filter((b) => JSON.parse(b).sid === first.sid), []);
      } finally {
        await done(page);
      }
    });
  }

  test('leaving the page ends the session with a beacon', async () => {
    const boot = bootOf(mainForm([]));
    const page = await open(boot);
    try {
      await page.goto('about:blank');
      await waitFor(() => server.beacons.some((b) => JSON.parse(b).sid === boot.sid), 'the beacon');
      assert.deepEqual(server.beacons.map((b) => JSON.parse(b)).filter((b) => b.sid === boot.sid), [{ sid: boot.sid }]);
    } finally {
      await done(page);
    }
  });

  test('a click with a screen mask masks the page until its answer arrives', async () => {
    const btn = comp('TUniSpeedButton', 'btnLoginOK', { left: 10, top: 10, width: 100, height: 30, caption: 'OK', screenMask: 'Load Playlist....' });
    const page = await open(bootOf(mainForm([btn])));
    try {
      const gate = deferred();
      server.script(() => gate.promise.then(() => undefined));
      await page.click('#' + btn.js);
      assert.equal(await shown(page, '#tess-screenmask'), true);
      assert.equal(await text(page, '#tess-screenmask'), 'Load Playlist....');
      await waitFor(() => server.requests.length === 2, 'the click request');
      assert.deepEqual(server.requests[1].json.events, [{ t: 'click', c: btn.id }]);
      gate.resolve();
      await settle(page);
      assert.equal(await shown(page, '#tess-screenmask'), false);
    } finally {
      await done(page);
    }
  });

  test('a screen mask with a target masks only that control until the answer arrives', async () => {
    const pan = comp('TUniPanel', 'pagePls', { left: 200, top: 10, width: 300, height: 200 });
    const btn = comp('TUniSpeedButton', 'btnPLSSave', { left: 10, top: 10, width: 100, height: 30, caption: 'Save',
      screenMask: 'Save PLS...', screenMaskTarget: pan.id });
    const page = await open(bootOf(mainForm([btn, pan])));
    try {
      const gate = deferred();
      server.script(() => gate.promise.then(() => undefined));
      await page.click('#' + btn.js);
      const mask = `#${pan.js} > .tess-controlmask`;
      assert.equal(await shown(page, mask), true);
      assert.equal(await text(page, mask), 'Save PLS...');
      assert.deepEqual(await rect(page, pan.js), await page.evaluate((s) => {
        const r = document.querySelector(s).getBoundingClientRect();
        return [r.left, r.top, r.width, r.height].map(Math.round);
      }, mask), 'the mask covers the control');
      assert.equal(await shown(page, '#tess-screenmask'), false, 'the page stays unmasked');
      gate.resolve();
      await settle(page);
      assert.equal(await shown(page, mask), false);
    } finally {
      await done(page);
    }
  });

  test('controls that are not showing or not enabled send nothing', async () => {
    const cases = [
      button('btnDisabled', { enabled: false }),
      button('btnHidden', { visible: false }),
      comp('TUniPanel', 'panHidden', { visible: false, width: 100, height: 50 }, [button('btnInHiddenPanel')]),
      comp('TUniPanel', 'panDisabled', { enabled: false, width: 100, height: 50 }, [button('btnInDisabledPanel')])
    ];
    const s1 = comp('TUniTabSheet', 'tabActive', { caption: 'A' });
    const s2 = comp('TUniTabSheet', 'tabInactive', { caption: 'B' }, [button('btnOnInactiveSheet')]);
    const pc = comp('TUniPageControl', 'pageEnt', { left: 0, top: 100, width: 400, height: 200, activePage: s1.id }, [s1, s2]);
    const probe = button('btnProbe', { left: 600, top: 500 });
    const page = await open(bootOf(mainForm([...cases, pc, probe])));
    try {
      for (const name of ['btnDisabled', 'btnHidden', 'btnInHiddenPanel', 'btnInDisabledPanel', 'btnOnInactiveSheet']) {
        await page.evaluate((n) => document.querySelector(`[data-component="${n}"]`).click(), name);
      }
      await sentinel(page, probe.js);
      assert.deepEqual(server.userEvents(), [{ t: 'click', c: probe.id }]);
    } finally {
      await done(page);
    }
  });
});

// ================================================================== inputs

describe('user input', () => {
  test('check boxes, radio groups, combo boxes, memos, spin edits and list boxes report their changes', async () => {
    const chk = comp('TUniCheckBox', 'chkEffect', { left: 10, top: 10, width: 150, height: 20, caption: 'Effect enabled' });
    const r1 = comp('TUniRadioButton', 'rad2h', { left: 10, top: 40, width: 150, height: 20, caption: '2 Hälfte', checked: true });
    const r2 = comp('TUniRadioButton', 'rad3h', { left: 10, top: 60, width: 150, height: 20, caption: '3 Drittel' });
    const other = comp('TUniRadioButton', 'radRSS1', { left: 10, top: 80, width: 150, height: 20, caption: 'Text', checked: true, group: 'rss' });
    const cmb = comp('TUniComboBox', 'cmbTeamSort', { left: 200, top: 10, width: 200, height: 24, items: ['Nr', 'SpBerNr', 'Vorname', 'Nachname'] });
    const memo = comp('TUniMemo', 'memoQS', { left: 200, top: 50, width: 200, height: 80, lines: ['[q0]'] });
    const spin = comp('TUniSpinEdit', 'nrFrames', { left: 200, top: 140, width: 100, height: 24, value: 1, min: 1, max: 2 });
    const list = comp('TUniListBox', 'listCont', { left: 420, top: 10, width: 200, height: 120, items: ['a.mp4', 'b.jpg', 'c.png'], multiSelect: true });
    const page = await open(bootOf(mainForm([chk, r1, r2, other, cmb, memo, spin, list])));
    const next = async (what, act) => {
      const n = server.userEvents().length;
      await act();
      await waitFor(() => server.userEvents().length > n, what);
      await settle(page);
      return server.userEvents().slice(n).filter((e) => e.t !== 'key' && e.t !== 'mouse');
    };
    try {
      assert.deepEqual(await next('check box', () => page.click(`#${chk.js} input`)),
        [{ t: 'change', c: chk.id, p: 'checked', v: true }]);
      assert.deepEqual(await next('radio', () => page.click(`#${r2.js} input`)),
        [{ t: 'change', c: r2.id, p: 'checked', v: true }]);
      assert.deepEqual(await page.evaluate((ids) => ids.map((id) => document.querySelector('#' + id + ' input').checked), [r1.js, r2.js, other.js]),
        [false, true, true]);
      assert.deepEqual(await next('combo item', async () => {
        await page.click(`#${cmb.js} .tess-combo-arrow`);
        await page.click('.tess-combo-item >> nth=3');
      }), [{ t: 'change', c: cmb.id, p: 'itemIndex', v: 3 }, { t: 'change', c: cmb.id, p: 'text', v: 'Nachname' }]);
      assert.deepEqual(await next('combo text', async () => {
        await page.fill(`#${cmb.js} input`, 'Frei');
        await page.press(`#${cmb.js} input`, 'Enter');
      }), [{ t: 'change', c: cmb.id, p: 'text', v: 'Frei' }]);
      assert.deepEqual(await next('memo', async () => {
        await page.fill(`#${memo.js} textarea`, '[q0]\nname=Intro\n');
        await page.click(`#${spin.js} input`);
      }), [{ t: 'change', c: memo.id, p: 'lines', v: ['[q0]', 'name=Intro'] }]);
      assert.deepEqual(await next('spin edit', async () => {
        await page.fill(`#${spin.js} input`, '7');
        await page.press(`#${spin.js} input`, 'Enter');
      }), [{ t: 'change', c: spin.id, p: 'value', v: 2 }]);
      assert.equal(await page.inputValue(`#${spin.js} input`), '2');
      assert.deepEqual(await next('list item', () => page.click(`#${list.js} .tess-list-item >> nth=0`)), [
        { t: 'change', c: list.id, p: 'selected', v: [0] }, { t: 'change', c: list.id, p: 'itemIndex', v: 0 }, { t: 'click', c: list.id }]);
      const ctrl = await next('ctrl list item', () => page.click(`#${list.js} .tess-list-item >> nth=2`, { modifiers: ['Control'] }));
      assert.deepEqual(ctrl.filter((e) => e.t === 'change'), [
        { t: 'change', c: list.id, p: 'selected', v: [0, 2] }, { t: 'change', c: list.id, p: 'itemIndex', v: 2 }]);
    } finally {
      await done(page);
    }
  });

  test('tree: a left click selects the node, the right button only reports mouse events; the context menu is off', async () => {
    const tree = comp('TUniTreeView', 'treeCont', { left: 0, top: 0, width: 300, height: 300, images: ['fas fa-folder'], nodes: [
      { id: 7, text: 'Containers', image: 0, expanded: true, children: [{ id: 8, text: 'Clips', image: 0 }, { id: 9, text: 'Menus', image: 0 }] }
    ] });
    const page = await open(bootOf(mainForm([tree])));
    const node = (t) => `#${tree.js} .tess-node:has(.tess-node-text:text-is("${t}"))`;
    try {
      await page.click(node('Clips'));
      await waitFor(() => server.userEvents().some((e) => e.t === 'node'), 'the node event');
      await settle(page);
      const left = server.userEvents();
      assert.deepEqual(left.map((e) => e.t + (e.k ? ':' + e.k + e.b : '')), ['mouse:down0', 'mouse:up0', 'node']);
      assert.deepEqual(left[2], { t: 'node', c: tree.id, node: 8 });
      const [tx, ty] = await rect(page, tree.js);
      const box = await page.locator(node('Clips')).boundingBox();
      assert.deepEqual([left[0].x, left[0].y], [Math.round(box.x + box.width / 2 - tx), Math.round(box.y + box.height / 2 - ty)]);
      await page.click(node('Menus'), { button: 'right' });
      await waitFor(() => server.userEvents().length === 5, 'the right button events');
      assert.deepEqual(server.userEvents().slice(3).map((e) => e.t + ':' + e.k + e.b), ['mouse:down2', 'mouse:up2']);
      assert.equal(await page.evaluate((js) => document.querySelector('#' + js + ' .tess-sel').textContent, tree.js), 'Clips');
      const prevented = await page.evaluate((js) => {
        const e = new MouseEvent('contextmenu', { bubbles: true, cancelable: true, button: 2 });
        document.querySelector('#' + js + ' .tess-node').dispatchEvent(e);
        return e.defaultPrevented;
      }, tree.js);
      assert.equal(prevented, true);
      // Folding is the browser's own business.
      await page.click(`${node('Containers')} .tess-node-toggle`);
      assert.equal(await page.locator(node('Clips')).isVisible(), false);
    } finally {
      await done(page);
    }
  });

  test('grid: a click selects the cell, editing an allowed cell sends the new text', async () => {
    const grid = comp('TUniStringGrid', 'gridTeam', { left: 0, top: 0, width: 500, height: 300, cols: 3, rows: 3, fixedRows: 1,
      editable: true, editableCols: [1, 2], colWidths: [60, 150, 150], cells: [['Nr', 'Vorname', 'Nachname'], ['7', 'Anna', 'Berg'], ['9', 'Ben', 'Cole']] });
    const page = await open(bootOf(mainForm([grid])));
    const td = (r, c) => `#${grid.js} td[data-r="${r}"][data-c="${c}"]`;
    const after = async (what, act) => {
      const n = server.userEvents().length;
      await act();
      await waitFor(() => server.userEvents().length > n, what);
      await settle(page);
      return server.userEvents().slice(n).filter((e) => e.t !== 'mouse' && e.t !== 'key');
    };
    try {
      assert.deepEqual(await after('select', () => page.click(td(2, 2))),
        [{ t: 'select', c: grid.id, col: 2, row: 2 }, { t: 'click', c: grid.id }]);
      assert.equal(await page.evaluate((s) => document.querySelector(s).className, td(2, 2)), 'tess-selcell');
      assert.deepEqual(await after('fixed row', () => page.click(td(0, 1))), [{ t: 'click', c: grid.id }]);
      const edit = await after('edit', async () => {
        await page.dblclick(td(1, 1));
        await page.fill(td(1, 1) + ' input', 'Anne');
        await page.press(td(1, 1) + ' input', 'Enter');
      });
      assert.deepEqual(edit.filter((e) => e.t === 'cell'), [{ t: 'cell', c: grid.id, col: 1, row: 1, v: 'Anne' }]);
      assert.equal(await text(page, td(1, 1)), 'Anne');
      await page.dblclick(td(1, 0));
      assert.equal(await exists(page, td(1, 0) + ' input'), false, 'column 0 is not editable');
    } finally {
      await done(page);
    }
  });

  test('grid: a cell being edited keeps what was typed when the server redraws the grid', async () => {
    const grid = comp('TUniStringGrid', 'gridTeamAktiv', { left: 0, top: 0, width: 400, height: 200, cols: 3, rows: 2,
      fixedRows: 0, fixedCols: 0, editable: true, cells: [['1', '7', ''], ['2', '', '']] });
    const page = await open(bootOf(mainForm([grid])));
    const td = (r, c) => `#${grid.js} td[data-r="${r}"][data-c="${c}"]`;
    try {
      await page.dblclick(td(1, 1));
      await page.keyboard.type('1');
      // The names of the slot above arrive while the operator types.
      await apply(page, [{ op: 'set', c: grid.id, p: 'cells', v: [['1', '7', 'Ole'], ['2', '', '']] }]);
      assert.equal(await text(page, td(0, 2)), 'Ole');
      await page.keyboard.type('0');
      assert.equal(await page.inputValue(td(1, 1) + ' input'), '10');
      const n = server.userEvents().length;
      await page.keyboard.press('Enter');
      await waitFor(() => server.userEvents().slice(n).some((e) => e.t === 'cell'), 'the edit sent');
      assert.deepEqual(server.userEvents().slice(n).filter((e) => e.t === 'cell'), [{ t: 'cell', c: grid.id, col: 1, row: 1, v: '10' }]);
      assert.equal(await exists(page, td(1, 1) + ' input'), false);
    } finally {
      await done(page);
    }
  });

  test('grid: whole-row selection, mouse tracking, the title colour and a dragged column border', async () => {
    const grid = comp('TUniStringGrid', 'Grid1', { left: 0, top: 0, width: 500, height: 300, cols: 3, rows: 3, fixedRows: 0,
      fixedCols: 0, colWidths: [60, 150, 150], titles: ['Nr', 'File', 'Time'], rowSelect: true, mouseTracking: true,
      columnResize: true, titleColor: '#0080c0', selRow: 1, selCol: 1,
      cells: [['1', 'a.png', '10'], ['2', 'b.png', '20'], ['3', 'c.png', '30']] });
    const page = await open(bootOf(mainForm([grid])));
    const td = (r, c) => `#${grid.js} td[data-r="${r}"][data-c="${c}"]`;
    const bg = (sel) => page.evaluate((x) => getComputedStyle(document.querySelector(x)).backgroundColor, sel);
    try {
      assert.equal(await bg(`#${grid.js} th`), 'rgb(0, 128, 192)');
      const selected = await bg(td(1, 1));
      assert.equal(await bg(td(1, 0)), selected, 'the whole selected row is marked');
      const plain = await bg(td(2, 0));
      assert.notEqual(plain, selected);
      await page.hover(td(2, 1));
      assert.notEqual(await bg(td(2, 0)), plain, 'the row under the mouse is highlighted');
      assert.equal(await bg(td(0, 0)), plain);
      await apply(page, [{ op: 'set', c: grid.id, p: 'rowSelect', v: false }]);
      assert.equal(await bg(td(1, 1)), selected);
      assert.notEqual(await bg(td(1, 0)), selected, 'without it only the selected cell is');

      const edge = await page.evaluate((js) => {
        const r = document.querySelector('#' + js + ' th[data-c="1"] .tess-grid-resizer').getBoundingClientRect();
        return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
      }, grid.js);
      const n = server.userEvents().length;
      await page.mouse.move(edge.x, edge.y);
      await page.mouse.down();
      await page.mouse.move(edge.x + 30, edge.y, { steps: 3 });
      await page.mouse.up();
      await waitFor(() => server.userEvents().slice(n).some((e) => e.t === 'colwidth'), 'the new width');
      await settle(page);
      const sent = server.userEvents().slice(n).filter((e) => e.t !== 'mouse');
      assert.deepEqual(sent, [{ t: 'colwidth', c: grid.id, col: 1, w: 180 }]);
      assert.equal(Math.round(await page.evaluate((s) => document.querySelector(s).getBoundingClientRect().width, td(0, 1))), 180);
      // A refresh from the server keeps the width.
      await apply(page, [{ op: 'set', c: grid.id, p: 'cells', v: [['1', 'x', '10'], ['2', 'b.png', '20'], ['3', 'c.png', '30']] }]);
      assert.equal(Math.round(await page.evaluate((s) => document.querySelector(s).getBoundingClientRect().width, td(0, 1))), 180);
    } finally {
      await done(page);
    }
  });

  test('keys: key down and key press go to the form; F3, F4 and refresh keys do nothing in the browser', async () => {
    const page = await open(bootOf(mainForm([])));
    try {
      const prevented = await page.evaluate(() => [114, 115, 116].map((k) => {
        const e = new KeyboardEvent('keydown', { keyCode: k, key: 'F' + (k - 111), bubbles: true, cancelable: true });
        document.body.dispatchEvent(e);
        return e.defaultPrevented;
      }));
      assert.deepEqual(prevented, [true, true, true]);
      await page.keyboard.press('Shift+A');
      await waitFor(() => server.userEvents().some((e) => e.k === 'press'), 'the key press');
      await settle(page);
      const keys = server.userEvents();
      assert.deepEqual(keys.filter((e) => e.code === 114), [{ t: 'key', k: 'down', code: 114, key: '', shift: { shift: false, ctrl: false, alt: false } }]);
      assert.deepEqual(keys.filter((e) => e.code === 65 || e.k === 'press'), [
        { t: 'key', k: 'down', code: 65, key: 'A', shift: { shift: true, ctrl: false, alt: false } },
        { t: 'key', k: 'press', code: 65, key: 'A', shift: { shift: true, ctrl: false, alt: false } }
      ]);
    } finally {
      await done(page);
    }
  });
});

// ================================================================= uploads

describe('uploads', () => {
  test('the upload window posts the chosen files and then reports them', async () => {
    const up = comp('TUniFileUpload', 'Upload1', { title: 'Upload', filter: '.jpg,.png,,.mkv', timeoutSecs: 600,
      messages: { upload: 'Upload', browse: 'Browse...', cancel: 'Cancel' } });
    const boot = bootOf(mainForm([up]));
    const page = await open(boot, { first: [{ op: 'set', c: up.id, p: 'show', v: true }] });
    try {
      assert.equal(await text(page, `#${up.js} .tess-window-caption`), 'Upload');
      assert.equal(await page.getAttribute(`#${up.js} input[type=file]`, 'accept'), '.jpg,.png,.mkv');
      await page.setInputFiles(`#${up.js} input[type=file]`, [{ name: 'Gruesse.jpg', mimeType: 'image/jpeg', buffer: Buffer.from('jpegdata') }]);
      await page.click(`#${up.js} .tess-upload-go`);
      await waitFor(() => server.userEvents().some((e) => e.t === 'upload'), 'the upload event');
      assert.deepEqual(server.uploads.map((u) => [u.query, /multipart\/form-data/.test(u.type), /name="file"; filename="Gruesse.jpg"/.test(u.text), u.text.includes('jpegdata')]),
        [[{ sid: boot.sid, c: String(up.id) }, true, true, true]]);
      assert.deepEqual(server.userEvents(), [{ t: 'upload', c: up.id, files: [{ name: 'Gruesse.jpg', cache: 'temp/up0' }] }]);
      assert.equal(await exists(page, '#' + up.js), false);
    } finally {
      await done(page);
    }
  });

  test('an upload that stops moving fails after its time-out, counted from its last bytes', async () => {
    const zone = comp('TUniFileUploadButton', 'UniFileUploadButton1', { left: 10, top: 10, width: 217, height: 118,
      timeoutSecs: 600, messages: { timeout: 'Timeout occurred...' } });
    const page = await open(bootOf(mainForm([zone])));
    try {
      server.holdUploads = true;
      await page.setInputFiles(`#${zone.js} input[type=file]`, [{ name: 'a.mp4', mimeType: 'video/mp4', buffer: Buffer.alloc(4096) }]);
      await waitFor(() => server.uploads.length === 1, 'the upload');
      // All bytes are out; the answer does not come.
      await page.waitForFunction((js) => /Processing/.test(document.querySelector('#' + js + ' .tess-dropzone-text').textContent), zone.js);
      await page.clock.runFor(599000);
      assert.equal(await exists(page, '.tess-box'), false, 'no time-out before its time');
      await page.clock.runFor(2000);
      assert.equal(await text(page, '.tess-box .tess-box-text'), 'Timeout occurred...');
    } finally {
      await done(page);
    }
  });

  test('the drop zone uploads what is chosen through it and refuses too many files', async () => {
    const zone = comp('TUniFileUploadButton', 'UniFileUploadButton1', { left: 10, top: 10, width: 217, height: 118, maxFiles: 2,
      caption: 'Please drop file(s) or click here', messages: { maxFiles: 'You can upload maximum %d files.' } });
    const page = await open(bootOf(mainForm([zone])));
    const file = (name) => ({ name, mimeType: 'text/plain', buffer: Buffer.from(name) });
    try {
      assert.equal(await text(page, `#${zone.js} .tess-dropzone-caption`), 'Please drop file(s) or click here');
      await page.setInputFiles(`#${zone.js} input[type=file]`, [file('a.txt'), file('b.txt'), file('c.txt')]);
      assert.equal(await text(page, '.tess-box .tess-box-text'), 'You can upload maximum 2 files.');
      await page.click('.tess-box button');
      await page.setInputFiles(`#${zone.js} input[type=file]`, [file('a.txt'), file('b.txt')]);
      await waitFor(() => server.userEvents().some((e) => e.t === 'upload'), 'the upload event');
      assert.equal(server.uploads.length, 1);
      assert.deepEqual(server.userEvents(), [{ t: 'upload', c: zone.id, files: [{ name: 'a.txt', cache: 'temp/up0' }, { name: 'b.txt', cache: 'temp/up1' }] }]);
    } finally {
      await done(page);
    }
  });
});
