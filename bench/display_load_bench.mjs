// Display figures in headless Chromium against the real server:
//
// 1. Large files: a 1 MB frame layout, a 1 MB day plan and a 1 MB playlist,
//    each sent by a display command; the time from the start of the request
//    that runs the command to the result on the screen (target: under a
//    second; the command poll's own wait of up to 800 ms comes before).
// 2. The display log driven to 200,000 appended lines: the time the browser
//    takes to append one line, at 1,000 and at 200,000 lines (it must stay
//    flat), with the engine page and its log on screen (out of sight the log
//    is not sent at all).
//
//   node bench/display_load_bench.mjs [files|log]     (default: both)
//
// Needs the build's display_harness (TESSARINE_HARNESS, or build/test).
import { writeFileSync, mkdirSync } from 'node:fs';
import path from 'node:path';
import {
  Harness, freePort, launchBrowser, makeProgramFolder, removeFolder, sessionId,
} from '../tests/browser/support.mjs';

const MB = 1024 * 1024;
const part = process.argv[2] || 'all';

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

class Done extends Error {}

// Records the start and the answer time of every AJAX request, and the
// timers whose ticks it carries.
const requestClock = () => {
  window.benchRequests = [];
  const fetch0 = window.fetch;
  window.fetch = function (url, options, ...rest) {
    const r = { start: performance.now(), answered: Infinity, timers: [] };
    if (String(url).includes('/ajax')) {
      try {
        r.timers = JSON.parse(options.body).events.filter((e) => e.t === 'timer').map((e) => e.c);
      } catch (e) { /* not ours */ }
      window.benchRequests.push(r);
    }
    return fetch0.call(this, url, options, ...rest).then((res) => {
      r.answered = performance.now();
      return res;
    });
  };
};

// Waits on every frame until `condition` (a function source) holds; gives
// the time from the start of the last command poll answered before it (the
// request that ran the command) and the time that request took.
async function timeToScreen(page, condition, pollTimer) {
  return page.evaluate(([src, timer]) => new Promise((resolve, reject) => {
    const holds = new Function(`return (${src})();`);
    const deadline = performance.now() + 60000;
    function look() {
      const now = performance.now();
      if (holds()) {
        const polls = window.benchRequests.filter((r) => r.answered <= now && r.timers.includes(timer));
        const last = polls.reduce((a, b) => (b.answered > a.answered ? b : a));
        return resolve({ ms: now - last.start, answer: last.answered - last.start });
      }
      if (now > deadline) return reject(new Error('not on screen: ' + src));
      requestAnimationFrame(look);
    }
    look();
  }), [condition.toString(), pollTimer]);
}

// The id of a component by its name (client names are "O" and the id in
// hexadecimal; timers have no element, so the ids are searched).
async function componentId(page, name) {
  return page.evaluate((n) => {
    for (let id = 1; id < 100000; ++id) {
      const c = window.Tess.component(id);
      if (c && c.name === n) return id;
    }
    return 0;
  }, name);
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
  const poll = await componentId(page, 'timerCMD');
  for (const [what, kind, target, condition] of part === 'log' ? [] : files) {
    const waiting = timeToScreen(page, condition, poll);
    await harness.send(`command ${kind} ${target}`);
    const { ms, answer } = await waiting;
    results.push([what, `${ms.toFixed(0)} ms`, `${ms < 1000 ? 'ok' : 'OVER 1 s'} (the poll answered after ${answer.toFixed(0)} ms)`]);
    console.log(...results[results.length - 1]);
    if (ms >= 1000) failed = true;
  }

  // ---- display log ----------------------------------------------------------
  const memoId = await componentId(page, 'memoLog');
  await page.evaluate((id) => {
    // The time of every edit of the log's text, and of the layout after it.
    const c = window.Tess.component(id);
    const edit = c.def.editLines;
    window.benchEdits = [];
    c.def.editLines = function (...args) {
      const t0 = performance.now();
      edit.apply(this, args);
      const t1 = performance.now();
      void c.input.scrollHeight;
      window.benchEdits.push({ edit: t1 - t0, layout: performance.now() - t1 });
    };
  }, memoId);
  let appended = 0;
  async function driveTo(total) {
    while (appended < total) {
      const n = Math.min(20000, total - appended);
      await harness.send(`log ${sid} ${n} [info] bench line`);
      appended += n;
      await page.waitForFunction(([id, text]) => {
        const lines = window.Tess.component(id).p.lines || [];
        return lines[lines.length - 1] === text;
      }, [memoId, `[info] bench line ${n}`], { timeout: 60000 });
    }
  }
  const median = (xs) => xs.slice().sort((a, b) => a - b)[Math.floor(xs.length / 2)];
  async function appendTimes(samples) {
    const taken = [];
    for (let i = 0; i < samples; ++i) {
      const before = await page.evaluate(() => window.benchEdits.length);
      await harness.send(`log ${sid} 1 [info] sample ${i}`);
      appended += 1;
      await page.waitForFunction((n) => window.benchEdits.length > n, before, { timeout: 60000 });
      taken.push(await page.evaluate(() => window.benchEdits[window.benchEdits.length - 1]));
    }
    const e = median(taken.map((t) => t.edit));
    const l = median(taken.map((t) => t.layout));
    return { e, l, text: `edit ${e.toFixed(2)} ms, with layout ${(e + l).toFixed(2)} ms (medians of ${samples})` };
  }
  const log = async (what) => {
    const shown = await appendTimes(20);
    results.push([`log append at ${what}`, shown.text, '']);
    console.log(...results[results.length - 1]);
    return shown.e + shown.l;
  };
  // The log is sent to the browser only while it is on screen (the engine
  // page, F3); behind the display surface it costs the browser nothing.
  await page.keyboard.press('F3');
  await page.locator('[data-component="memoLog"] textarea').waitFor({ state: 'visible' });
  if (part === 'files') throw new Done();
  await driveTo(1000 - 20);
  const at1k = await log('1,000 lines');
  await driveTo(200000 - 20);
  const at200k = await log('200,000 lines');
  const held = await page.evaluate((id) => window.Tess.component(id).p.lines.length, memoId);
  results.push(['lines the browser holds', String(held), '']);
  if (at200k > 5 * Math.max(at1k, 1)) failed = true;
} catch (e) {
  if (!(e instanceof Done)) throw e;
} finally {
  await browser.close();
  await harness.stop();
  removeFolder(folder);
}
console.log('');
for (const [what, figure, note] of results) console.log(`${what.padEnd(44)} ${figure.padEnd(52)} ${note}`);
process.exit(failed ? 1 : 0);
