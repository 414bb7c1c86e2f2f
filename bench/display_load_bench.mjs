// Display figures in headless Chromium against the real server:
//
// 1. Large files: a 1 MB frame layout, a 1 MB day plan and a 1 MB playlist,
//    each sent by a display command; the time from the start of the request
//    that runs the command to the result on the screen (target: under a
//    second; the command poll's own wait of up to 800 ms comes before).
// 2. The display log driven to 200,000 appended lines: the time the browser
//    takes to append one line, at 1,000 and at 200,000 lines (it must stay
//    flat), with the engine page and its log on screen.
//
//   node bench/display_load_bench.mjs
//
// Needs the build's display_harness (TESSARINE_HARNESS, or build/test).
import { writeFileSync, mkdirSync } from 'node:fs';
import path from 'node:path';
import {
  Harness, freePort, launchBrowser, makeProgramFolder, removeFolder, sessionId,
} from '../tests/browser/support.mjs';

const MB = 1024 * 1024;

// A frame layout of about 1 MB whose lines carry many extra commas: panels
// 1 to 3 at their own places, every later row switched off.
function bigLayout() {
  const extra = ','.repeat(900);
  const lines = ['Display,0,0,1920,1080,,-,Bench,0,00201010,00' + extra];
  const frames = [[0, 0, 1280, 1080], [0, 1280, 640, 540], [540, 1280, 640, 540]];
  for (let i = 1; lines.join('\r\n').length < MB; ++i) {
    const g = frames[i - 1] || [0, 0, 10, 10];
    const aktiv = i <= 3 ? 1 : 0;
    lines.push(`Frame${i},${g[0]},${g[1]},${g[2]},${g[3]},${aktiv},-,x,${i},00000000,${String(i).padStart(2, '0')}${extra}`);
  }
  return lines.join('\r\n') + '\r\n';
}

// A day plan of about 1 MB: a layout, a playlist and a ticker for the whole
// day, then playlist lines of past windows.
function bigDayplan() {
  const entry = (start, kind, name, end) => `${start}        ${kind}       ${name}     ${end}   `;
  const lines = [entry('00:00', '1', 'Bench.frm', '23:59'), entry('00:00', '0', 'Demo.pyl', '23:59'),
    entry('00:00', '2', 'Ticker.tck', '23:59')];
  while (lines.join('\r\n').length < MB) lines.push(entry('00:00', '0', 'System\\Background.pyl', '00:01'));
  return lines.join('\r\n') + '\r\n';
}

// A playlist of about 1 MB, mostly frame-1 pictures.
function bigPlaylist() {
  const lines = [];
  for (let i = 1; lines.join('\r\n').length < MB; ++i) {
    const frame = i % 10 === 0 ? 2 : 1;
    const file = i === 1 ? 'Willkommen.png' : 'Anstoss.jpg';
    lines.push(`,${i},${file},00:10,0,0,Containers\\Bilder\\${file},${frame},0,,,,,,,,,,,,`);
  }
  return lines.join('\r\n') + '\r\n';
}

// Records the start and the answer time of every AJAX request.
const requestClock = () => {
  window.benchRequests = [];
  const fetch0 = window.fetch;
  window.fetch = function (url, ...rest) {
    const r = { start: performance.now(), answered: Infinity };
    if (String(url).includes('/ajax')) window.benchRequests.push(r);
    return fetch0.call(this, url, ...rest).then((res) => { r.answered = performance.now(); return res; });
  };
};

// Waits on every frame until `condition` (a function source) holds; gives
// the time from the start of the request whose answer brought it.
async function timeToScreen(page, condition) {
  return page.evaluate((src) => new Promise((resolve, reject) => {
    const holds = new Function(`return (${src})();`);
    const deadline = performance.now() + 60000;
    function look() {
      const now = performance.now();
      if (holds()) {
        const answered = window.benchRequests.filter((r) => r.answered <= now);
        const last = answered.reduce((a, b) => (b.answered > a.answered ? b : a));
        return resolve(now - last.start);
      }
      if (now > deadline) return reject(new Error('not on screen: ' + src));
      requestAnimationFrame(look);
    }
    look();
  }), condition.toString());
}

const port = await freePort();
const folder = makeProgramFolder(port);
writeFileSync(path.join(folder, 'Config', 'Frames', 'Bench.frm'), bigLayout());
writeFileSync(path.join(folder, 'Config', 'Progs', 'Bench.pyl'), bigPlaylist());
mkdirSync(path.join(folder, 'Config', 'Dayplan'), { recursive: true });
writeFileSync(path.join(folder, 'Config', 'Dayplan', 'Bench'), bigDayplan());
writeFileSync(path.join(folder, 'Config', 'Dayplan', 'Leer'), '');

const harness = new Harness(folder, port);
await harness.start();
const browser = await launchBrowser();
let failed = false;
const results = [];
try {
  const page = await browser.newPage();
  await page.setViewportSize({ width: 1920, height: 1080 });
  await page.addInitScript(requestClock);
  await page.goto(harness.url('?standort=Leer'));
  await page.locator('[data-component="panF1"]').waitFor({ state: 'visible' });
  const sid = await sessionId(page);
  await harness.send(`label ${sid} lblPath ${folder}/`);

  // ---- large files ----------------------------------------------------------
  const files = [
    ['1 MB frame layout', 'Frame', 'Bench.frm', () => {
      const p = document.querySelector('[data-component="panF2"]');
      return p && p.offsetParent && Math.round(p.getBoundingClientRect().width) === 640;
    }],
    ['1 MB playlist (first item shown)', 'Playlist', 'Bench.pyl', () =>
      !!document.querySelector('[data-component="panF1"] img[src="Containers/Bilder/Willkommen.png"]')],
    ['1 MB day plan', 'Dayplan', 'Bench', () => {
      const f = document.querySelector('[data-component="urlTCK"] iframe');
      return !!f && /tickerWP_Bench\.html/.test(f.getAttribute('src') || '');
    }],
  ];
  for (const [what, kind, target, condition] of files) {
    const waiting = timeToScreen(page, condition);
    await harness.send(`command ${kind} ${target}`);
    const ms = await waiting;
    results.push([what, `${ms.toFixed(0)} ms`, ms < 1000 ? 'ok' : 'OVER 1 s']);
    console.log(...results[results.length - 1]);
    if (ms >= 1000) failed = true;
  }

  // ---- display log ----------------------------------------------------------
  await page.keyboard.press('F3');  // the engine page with the log on screen
  await page.locator('[data-component="memoLog"] textarea').waitFor({ state: 'visible' });
  // The client name is "O" and the component's id in hexadecimal.
  const memoId = await page.evaluate(() => parseInt(document.querySelector('[data-component="memoLog"]').id.slice(1), 16));
  await page.evaluate((id) => {
    // Time of every edit the log's text takes, its layout included.
    const c = window.Tess.component(id);
    const edit = c.def.editLines;
    window.benchEdits = [];
    c.def.editLines = function (...args) {
      const t = performance.now();
      edit.apply(this, args);
      void c.input.scrollHeight;
      window.benchEdits.push(performance.now() - t);
    };
  }, memoId);
  const lastLine = () => page.evaluate((id) => {
    const lines = window.Tess.component(id).p.lines || [];
    return lines[lines.length - 1] || '';
  }, memoId);
  let appended = 0;
  async function driveTo(total) {
    while (appended < total) {
      const n = Math.min(20000, total - appended);
      await harness.send(`log ${sid} ${n} [info] bench line`);
      appended += n;
      const expect = `[info] bench line ${n}`;
      await page.waitForFunction(([id, text]) => {
        const lines = window.Tess.component(id).p.lines || [];
        return lines[lines.length - 1] === text;
      }, [memoId, expect], { timeout: 60000 });
    }
  }
  async function appendTimes(samples) {
    const times = [];
    for (let i = 0; i < samples; ++i) {
      const before = await page.evaluate(() => window.benchEdits.length);
      await harness.send(`log ${sid} 1 [info] sample ${i}`);
      appended += 1;
      await page.waitForFunction((n) => window.benchEdits.length > n, before, { timeout: 60000 });
      times.push(await page.evaluate(() => window.benchEdits[window.benchEdits.length - 1]));
    }
    times.sort((a, b) => a - b);
    return { median: times[Math.floor(times.length / 2)], max: times[times.length - 1] };
  }
  await driveTo(1000 - 20);
  const at1k = await appendTimes(20);
  await driveTo(200000 - 20);
  const at200k = await appendTimes(20);
  const held = await page.evaluate((id) => window.Tess.component(id).p.lines.length, memoId);
  results.push(['log append at 1,000 lines', `median ${at1k.median.toFixed(2)} ms, max ${at1k.max.toFixed(2)} ms`, '']);
  results.push(['log append at 200,000 lines', `median ${at200k.median.toFixed(2)} ms, max ${at200k.max.toFixed(2)} ms`,
    `browser holds ${held} lines (last: ${await lastLine()})`]);
  if (at200k.median > 5 * Math.max(at1k.median, 0.5)) failed = true;
} finally {
  await browser.close();
  await harness.stop();
  removeFolder(folder);
}
for (const [what, figure, note] of results) console.log(`${what.padEnd(36)} ${figure.padEnd(40)} ${note}`);
process.exit(failed ? 1 : 0);
