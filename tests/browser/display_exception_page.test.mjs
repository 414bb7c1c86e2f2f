// A display that cannot start gets the exception page, which keeps asking
// for the same address by itself: once the cause is gone the screen plays
// its day plan again, with nobody at the screen to press anything.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  Harness, SCREEN, WAIT_MS, component, componentBox, useProgramServer,
} from './support.mjs';

const demo = useProgramServer(Harness);

test('the exception page comes back to the display by itself once the cause is gone', async () => {
  const address = demo.server.url('?standort=Arena');
  await demo.server.send('fail-start the display form cannot be built <now>');
  const page = await demo.browser.newPage();
  try {
    await page.setViewportSize(SCREEN);
    const first = await page.goto(address);
    assert.equal(first.status(), 500);
    assert.match(await page.textContent('body'), /the display form cannot be built <now>/);

    // While the cause lasts, the page asks again and gets the same page.
    const retry = await page.waitForResponse((r) => r.url() === address);
    assert.equal(retry.status(), 500);
    await page.waitForLoadState();
    assert.match(await page.textContent('body'), /cannot be built/);

    await demo.server.send('fail-start');
    // The next try opens the display: the day plan lays out the frames.
    await component(page, 'panF3').waitFor({ state: 'visible', timeout: WAIT_MS });
    assert.equal(page.url(), address, 'the same address as before');
    assert.deepEqual(await componentBox(page, 'panF1'), [0, 0, 1280, 960]);
    await component(page, 'panF1').locator('img[src="Containers/Bilder/Willkommen.png"]').waitFor({ state: 'visible' });
    assert.match(demo.server.log, /cannot open a session \(display "Arena" from 127\.0\.0\.1\): the display form cannot be built/);
  } finally {
    await page.close();
  }
});
