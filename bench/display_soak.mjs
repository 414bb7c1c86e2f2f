// Soak run of one display: headless Chromium plays a three-item playlist
// (picture, video, HTML page) with 2-second items for a long time, and the
// browser's JS heap and DOM node count and the server's memory are sampled
// every minute (after a garbage collection). Venue screens run for days:
// all three must stay flat.
//
//   node bench/display_soak.mjs [minutes]      (default 30)
//
// Needs the build's display_harness (TESSARINE_HARNESS, or build/test).
import { readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import {
  Harness, freePort, launchBrowser, makeProgramFolder, removeFolder, sessionId,
} from '../tests/browser/support.mjs';

const minutes = Number(process.argv[2] || 30);

function serverRssMiB(pid) {
  const status = readFileSync(`/proc/${pid}/status`, 'utf8');
  return Number(/VmRSS:\s+(\d+)/.exec(status)[1]) / 1024;
}

const item = (nr, file, folder, code) =>
  `,${nr},${file},00:02,0,1,Containers\\${folder}\\${file},1,${code},,,,,,,,,,,,`;

const port = await freePort();
const folder = makeProgramFolder(port);
writeFileSync(path.join(folder, 'Config', 'Progs', 'Soak.pyl'), [
  item(1, 'Willkommen.png', 'Bilder', '0'),
  item(2, 'Intro.mp4', 'Videos', '2'),
  item(3, 'Info.html', 'Web', '4'),
].join('\r\n') + '\r\n');

const harness = new Harness(folder, port);
await harness.start();
const browser = await launchBrowser();
let result = 1;
try {
  const page = await browser.newPage();
  await page.setViewportSize({ width: 1280, height: 868 });
  await page.goto(harness.url('?standort=Soak'));
  await page.locator('[data-component="panF1"]').waitFor({ state: 'visible' });
  const sid = await sessionId(page);
  await harness.send(`label ${sid} lblPath ${folder}/`);
  await harness.send('command Playlist Soak.pyl');

  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Performance.enable');
  // Samples are taken at the same point of the rotation (just after the
  // picture became the current item), so the same media are in the page.
  async function samePhase() {
    await page.waitForFunction(() => !/Willkommen/.test(document.querySelector('[data-component="lblPlay"]').textContent));
    await page.waitForFunction(() => /Willkommen/.test(document.querySelector('[data-component="lblPlay"]').textContent));
  }
  // Each sample is the smallest of five readings at the same point of five
  // rotations: what is in flight varies from one rotation to the next,
  // what accumulates shows in all of them.
  async function sample(minute) {
    const readings = [];
    for (let i = 0; i < 5; ++i) {
      await samePhase();
      await cdp.send('HeapProfiler.collectGarbage');
      const { metrics } = await cdp.send('Performance.getMetrics');
      const m = Object.fromEntries(metrics.map((x) => [x.name, x.value]));
      readings.push(m);
    }
    const s = {
      minute,
      heapMiB: Math.min(...readings.map((m) => m.JSHeapUsedSize)) / 1048576,
      nodes: Math.min(...readings.map((m) => m.Nodes)),
      serverMiB: serverRssMiB(harness.proc.pid),
    };
    console.log(`minute ${String(minute).padStart(3)}: JS heap ${s.heapMiB.toFixed(2)} MiB, ` +
      `DOM nodes ${s.nodes}, server RSS ${s.serverMiB.toFixed(1)} MiB`);
    return s;
  }

  // The first minute warms up caches and the media elements; then one
  // sample at the end of every minute of the run.
  const t0 = Date.now();
  const untilMinute = (n) => page.waitForTimeout(Math.max(0, t0 + n * 60000 - Date.now()));
  await untilMinute(1);
  const first = await sample(1);
  let last = first;
  for (let minute = 2; minute <= minutes; ++minute) {
    await untilMinute(minute);
    last = await sample(minute);
  }
  const heapGrowth = last.heapMiB - first.heapMiB;
  const nodeGrowth = last.nodes - first.nodes;
  const serverGrowth = last.serverMiB - first.serverMiB;
  console.log(`start: JS heap ${first.heapMiB.toFixed(2)} MiB, DOM nodes ${first.nodes}, server ${first.serverMiB.toFixed(1)} MiB`);
  console.log(`end:   JS heap ${last.heapMiB.toFixed(2)} MiB, DOM nodes ${last.nodes}, server ${last.serverMiB.toFixed(1)} MiB`);
  // Flat: what one rotation step allocates may be in flight at a sample,
  // nothing may accumulate.
  const flat = heapGrowth < 1 && nodeGrowth <= 20 && serverGrowth < 2;
  console.log(flat ? 'flat' : `NOT flat: heap +${heapGrowth.toFixed(2)} MiB, nodes +${nodeGrowth}, server +${serverGrowth.toFixed(1)} MiB`);
  result = flat ? 0 : 1;
} finally {
  await browser.close();
  await harness.stop();
  removeFolder(folder);
}
process.exit(result);
