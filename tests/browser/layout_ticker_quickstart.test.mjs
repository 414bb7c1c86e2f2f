// The frame-layout editor, the ticker editor and the quick-start list in a
// real browser, with a display of the arena open beside the console: a
// layout saved with one frame and sent, a new ticker text, and a quick-start
// entry that changes the layout and then plays its playlist.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { component, useProgramServer, SCREEN } from './support.mjs';

const demo = useProgramServer();

async function login(page) {
  await page.goto(demo.server.url('?start=tessarine'));
  await component(page, 'panLogin').waitFor({ state: 'visible' });
  await component(page, 'edtLoginUser').locator('input').fill('profi');
  await component(page, 'edtLoginPW').locator('input').fill('stadion2025');
  await component(page, 'btnLoginOK').click();
  await component(page, 'listQS').waitFor({ state: 'visible' });
}

function tab(page, caption) {
  return page.locator('.tess-tab:visible', { hasText: caption }).first();
}

// The frame panels a display shows, as "panF1 panF2 ...".
async function shownFrames(display) {
  return display.evaluate(() => ['panF1', 'panF2', 'panF3', 'panF4', 'panF5']
    .filter((n) => { const e = document.querySelector(`[data-component="${n}"]`); return e && e.offsetParent !== null; })
    .join(' '));
}

async function waitForFrames(display, expected) {
  await display.waitForFunction((want) => ['panF1', 'panF2', 'panF3', 'panF4', 'panF5']
    .filter((n) => { const e = document.querySelector(`[data-component="${n}"]`); return e && e.offsetParent !== null; })
    .join(' ') === want, expected);
}

test('a layout saved with one frame, a new ticker text and a quick-start entry reach a display', async () => {
  const display = await demo.browser.newPage();
  await display.setViewportSize(SCREEN);
  await display.goto(demo.server.url('?standort=Arena'));
  await waitForFrames(display, 'panF1 panF2 panF3');

  const page = await demo.browser.newPage();
  await page.setViewportSize(SCREEN);
  await login(page);
  // The console's start-up lists the layouts.
  await page.waitForFunction(() => document.querySelector('[data-component="listQS"]')?.textContent.includes('Zwei Frames'));
  await tab(page, 'Entertainment').click();
  await tab(page, 'Frame').click();

  // Open the arena's layout: three frames, shown at half scale.
  const combo = component(page, 'cmbFrame').locator('input');
  await combo.fill('Arena.frm');
  await combo.press('Enter');
  await component(page, 'panPrev3').waitFor({ state: 'visible' });
  assert.equal(await component(page, 'nrFrames').locator('input').inputValue(), '3');
  const box = await component(page, 'panPrev1').boundingBox();
  assert.equal(Math.round(box.width), 640, 'frame 1 (1280 wide) is previewed at half its width');

  // One frame, saved under a new name, sent.
  const frames = component(page, 'nrFrames').locator('input');
  await frames.fill('1');
  await frames.press('Enter');
  await component(page, 'panPrev2').waitFor({ state: 'hidden' });
  await combo.fill('Eins.frm');
  await combo.press('Enter');
  await component(page, 'btnFrameSave').click();
  await component(page, 'btnFRMPlay').click();
  await waitForFrames(display, 'panF1');
  assert.equal(await shownFrames(display), 'panF1');

  // A new ticker text.
  await tab(page, 'Ticker').click();
  const text = component(page, 'edtTckText').locator('input');
  await text.fill('Tor für Nordhafen: 1:0 durch <b>Jansen</b>');
  await text.press('Tab');
  await component(page, 'btnTCKStart').click();
  await display.waitForFunction(() => {
    const f = document.querySelector('[data-component="urlTCK"] iframe');
    const tx = f && f.contentDocument && f.contentDocument.getElementById('tx');
    return tx && tx.textContent.includes('Tor für Nordhafen: 1:0 durch <b>Jansen</b>');
  });

  // A quick-start entry with a layout: the two frames come first, then its
  // playlist (the break playlist puts the logo into frame 2).
  await tab(page, 'Spielstand').click();
  await component(page, 'listQS').locator('.tess-list-item', { hasText: 'Zwei Frames' }).click();
  await component(page, 'btnQSPlay').click();
  await waitForFrames(display, 'panF1 panF2');
  const frame2 = await component(display, 'panF2').boundingBox();
  assert.equal(Math.round(frame2.width), 640);
  assert.equal(Math.round(frame2.height), 1080, 'the two-frame layout gives frame 2 the full height');
  await component(display, 'panF2').locator('img[src="Containers/Bilder/Logo.gif"]').first()
    .waitFor({ state: 'visible' });
});
