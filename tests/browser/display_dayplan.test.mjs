// Displays started on the demo locations: the day plan applies a frame
// layout, plays a playlist, shows the scrolling ticker, and a touch menu
// button shows a medium in frame 1.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  SCREEN, component, componentBox as box, useProgramServer,
} from './support.mjs';

const demo = useProgramServer();

async function openDisplay(standort) {
  const page = await demo.browser.newPage();
  await page.setViewportSize(SCREEN);
  await page.goto(demo.server.url(`?standort=${standort}`));
  await component(page, 'panBack').waitFor({ state: 'visible' });
  return page;
}

// In the ticker page: the left edge of the moving text, or with the edge
// seen before, whether the text has moved more than 5 px left of it.
function tickerLeft(start) {
  const tx = document.getElementById('tx');
  const moving = [...tx.querySelectorAll('*')].find((e) => e.textContent.includes('Heimspiel')) || tx;
  const left = moving.getBoundingClientRect().left;
  return start === undefined || start === null ? left : left < start - 5;
}

test('the arena shows its layout, plays its playlist and scrolls the ticker', async () => {
  const page = await openDisplay('Arena');
  try {
    await component(page, 'panF3').waitFor({ state: 'visible' });
    // Frames and ticker bar cover the screen, each frame 4:3 like the
    // pictures shown in it.
    assert.deepEqual(await box(page, 'panF1'), [0, 0, 1280, 960]);
    assert.deepEqual(await box(page, 'panF2'), [1280, 0, 640, 480]);
    assert.deepEqual(await box(page, 'panF3'), [1280, 480, 640, 480]);

    const picture = component(page, 'panF1').locator('img[src="Containers/Bilder/Willkommen.png"]');
    await picture.waitFor({ state: 'visible' });
    await page.waitForFunction((el) => el.complete && el.naturalWidth > 0, await picture.elementHandle());
    await component(page, 'panF2').locator('img[src="Containers/Bilder/Anstoss.jpg"]').waitFor({ state: 'visible' });

    const ticker = component(page, 'urlTCK');
    await ticker.waitFor({ state: 'visible' });
    const iframe = await page.waitForFunction(() => {
      const f = document.querySelector('[data-component="urlTCK"] iframe');
      return f && /files\/tickerWP_Arena\.html\?/.test(f.getAttribute('src') || '') && f;
    });
    const frame = await iframe.asElement().contentFrame();
    await frame.waitForURL(/tickerWP_Arena\.html/);
    await frame.waitForFunction(() => document.getElementById('tx')?.textContent.includes('Heimspiel'));
    assert.deepEqual(await box(page, 'urlTCK'), [0, 960, 1920, 120]);
    // The line sits in the middle of its bar.
    const line = await frame.evaluate(() => {
      const r = document.querySelector('#tx .telex-msg').getBoundingClientRect();
      return { top: r.top, bottom: r.bottom, height: window.innerHeight };
    });
    assert.ok(Math.abs(line.top - (line.height - line.bottom)) <= 2, `centred in the bar: ${JSON.stringify(line)}`);
    // The text moves to the left.
    const x0 = await frame.evaluate(tickerLeft);
    await frame.waitForFunction(tickerLeft, x0);
  } finally {
    await page.close();
  }
});

test('a touch menu button shows its medium in frame 1', async () => {
  const page = await openDisplay('Foyer');
  try {
    const menu = component(page, 'panNavi1');
    await menu.waitFor({ state: 'visible' });
    // Frame 1 and the menu column beside it cover the screen.
    await component(page, 'panF1').waitFor({ state: 'visible' });
    assert.deepEqual(await box(page, 'panF1'), [0, 0, 1440, 1080]);
    assert.deepEqual(await box(page, 'panNavi1'), [1440, 0, 480, 1080]);
    const button = component(page, 'Button1_0');
    await button.waitFor({ state: 'visible' });
    await button.click();
    const medium = component(page, 'panF1').locator('img[src="Containers/Bilder/Sponsor.jpg"]');
    await medium.waitFor({ state: 'visible' });
    await page.waitForFunction((el) => el.complete && el.naturalWidth > 0, await medium.elementHandle());
  } finally {
    await page.close();
  }
});
